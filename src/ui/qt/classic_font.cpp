// The face the windows were laid out for, or its nearest installed relative.
#include "ui/qt/classic_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace tramsel {

QFont classicFont(double points, bool bold)
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo",
                                 "Arial", "DejaVu Sans Condensed"}) {
            if (installed.contains(QLatin1String(name), Qt::CaseInsensitive))
                return QString::fromLatin1(name);
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace tramsel
