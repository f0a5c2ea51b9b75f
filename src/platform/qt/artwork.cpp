// The program's pictures, read from the resources compiled into it. All are
// PNG, which Qt reads without image plugins.
#include "platform/qt/artwork.h"

#include <QBitmap>
#include <QColor>

namespace tramsel {

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/tramsel.png").arg(size), QSize(size, size));
    return icon;
}

QIcon aboutIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/about-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/about-16.png"), QSize(16, 16));
    return icon;
}

QPixmap toolbarImage(const QString &key)
{
    QPixmap image(QStringLiteral(":/toolbar/%1.png").arg(key));
    if (image.isNull())
        return image;
    // The images are drawn on light grey, which stands for "no colour here".
    image.setMask(image.createMaskFromColor(QColor(192, 192, 192), Qt::MaskInColor));
    return image;
}

} // namespace tramsel
