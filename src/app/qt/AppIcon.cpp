#include "app/qt/AppIcon.h"

#include <QDir>
#include <QImageReader>

QIcon appIcon(const QString& folder) {
    QIcon icon;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"icon-*.png"}, QDir::Files))
        icon.addFile(dir.filePath(name));
    if (QImageReader::supportedImageFormats().contains("svg"))
        icon.addFile(dir.filePath("icon.svg"));
    // The .ico (16 and 32 pixels) only when the set is missing.
    if (icon.isNull()) icon.addFile(dir.filePath("icon.ico"));
    return icon;
}
