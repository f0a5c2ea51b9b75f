// imlToolbarIcons: the main window's toolbar images, looked up by key, from
// the pictures compiled into the program.
#include "main/qt/toolbar_images.h"

#include <QBitmap>

namespace tramsel {

QPixmap toolbarImage(const QString &key)
{
    if (key != QLatin1String("Find") && key != QLatin1String("Delete"))
        return {};
    QPixmap image(QStringLiteral(":/toolbar/%1.png").arg(key));
    // Drawn on light grey, the image list's see-through colour.
    image.setMask(image.createMaskFromColor(QColor(192, 192, 192), Qt::MaskInColor));
    return image;
}

} // namespace tramsel
