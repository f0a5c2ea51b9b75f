// imlToolbarIcons: the main window's toolbar images, looked up by key. These
// are simple drawings until the real artwork arrives.
#include "main/toolbar_images.h"

#include <QBitmap>
#include <QPainter>

namespace tramsel {
namespace {

const QColor kTransparent(192, 192, 192);  // the image list's see-through colour

void drawBinoculars(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(64, 64, 64));
    p.drawRect(2, 3, 4, 6);
    p.drawRect(9, 3, 4, 6);
    p.drawRect(6, 5, 3, 2);
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(1, 8, 6, 6);
    p.drawEllipse(8, 8, 6, 6);
}

void drawCross(QPainter &p)
{
    p.setPen(QPen(QColor(192, 0, 0), 3, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(4, 4, 11, 11);
    p.drawLine(11, 4, 4, 11);
}

} // namespace

QPixmap toolbarImage(const QString &key)
{
    void (*draw)(QPainter &) = nullptr;
    if (key == QLatin1String("Find"))
        draw = drawBinoculars;
    else if (key == QLatin1String("Delete"))
        draw = drawCross;
    else
        return {};

    QPixmap image(16, 16);
    image.fill(kTransparent);
    {
        QPainter painter(&image);
        draw(painter);
    }
    image.setMask(image.createMaskFromColor(kTransparent, Qt::MaskInColor));
    return image;
}

} // namespace tramsel
