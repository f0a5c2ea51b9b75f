// The program's icons, read from the resources compiled into it. All are PNG,
// which Qt reads without image plugins.
#include "ui/qt/artwork.h"

#include <QPixmap>

namespace tramsel {
namespace {

// Built from pixmaps: a file name would make QIcon look through the icon
// engine plugins for one that takes it, which costs more than reading them.
QIcon fromFiles(std::initializer_list<QString> files)
{
    QIcon icon;
    for (const QString &file : files)
        icon.addPixmap(QPixmap(file));
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    // The sizes title bars and task switchers draw. An X window carries every
    // size its icon has, decoded when it is first shown; the larger ones come
    // to desktops from the icon theme, through the desktop file.
    return fromFiles({QStringLiteral(":/icons/hicolor/16x16/apps/tramsel.png"),
                      QStringLiteral(":/icons/hicolor/24x24/apps/tramsel.png"),
                      QStringLiteral(":/icons/hicolor/32x32/apps/tramsel.png"),
                      QStringLiteral(":/icons/hicolor/48x48/apps/tramsel.png")});
}

QIcon aboutIcon()
{
    return fromFiles({QStringLiteral(":/icons/about-32.png"), QStringLiteral(":/icons/about-16.png")});
}

} // namespace tramsel
