#include "app/qt/AppIcon.h"

#include <QDir>
#include <QImageReader>
#include <QPixmap>

QIcon appIcon(const QString& folder) {
    QIcon icon;
    const QDir dir(folder);
    // The PNG set the build lays beside the program, each read as PNG by its
    // name: asked to guess, Qt would load every picture-format plugin, and a
    // listing of the folder by pattern would compile a regular expression.
    for (const int side : {16, 32, 48, 64, 128}) {
        QImageReader reader(dir.filePath(QStringLiteral("icon-%1.png").arg(side)), "png");
        const QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    // The .ico (16 and 32 pixels) only when the set is missing.
    if (icon.isNull()) icon.addFile(dir.filePath("icon.ico"));
    return icon;
}
