#include "app/qt/AppIcon.h"

#include <QDir>
#include <QRegularExpression>

QIcon appIcon(const QString& folder) {
    QIcon icon;
    const QDir dir(folder);
    // The size is in each name (icon-32.png): given with the file, the picture
    // is read only when a size of it is first drawn, not at start. The set goes
    // up to 128 pixels; the SVG is left out, as asking for it loads every
    // picture-format plugin at start.
    static const QRegularExpression sized(QStringLiteral("^icon-(\\d+)\\.png$"));
    for (const QString& name : dir.entryList({"icon-*.png"}, QDir::Files)) {
        const QRegularExpressionMatch match = sized.match(name);
        const int side = match.hasMatch() ? match.captured(1).toInt() : 0;
        icon.addFile(dir.filePath(name), QSize(side, side));
    }
    // The .ico (16 and 32 pixels) only when the set is missing.
    if (icon.isNull()) icon.addFile(dir.filePath("icon.ico"));
    return icon;
}
