// The program's icons, read from the resources compiled into it. All are PNG,
// which Qt reads without image plugins.
#include "platform/qt/artwork.h"

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

} // namespace tramsel
