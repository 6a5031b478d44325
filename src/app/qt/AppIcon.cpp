#include "app/qt/AppIcon.h"

#include <QDir>
#include <QPixmap>

QIcon appIcon(const QString& folder) {
    QIcon icon;
    const QDir dir(folder);
    // The PNG set the build lays beside the program, by name: listing the
    // folder by pattern would compile a regular expression, and with it load
    // PCRE's compiler (half a megabyte) at start. The SVG is left out: it
    // needs Qt's SVG module, which the PNGs do not.
    for (const int side : {16, 32, 48, 64, 128}) {
        const QPixmap picture(dir.filePath(QStringLiteral("icon-%1.png").arg(side)));
        if (!picture.isNull()) icon.addPixmap(picture);
    }
    // The .ico (16 and 32 pixels) only when the set is missing.
    if (icon.isNull()) icon.addFile(dir.filePath("icon.ico"));
    return icon;
}
