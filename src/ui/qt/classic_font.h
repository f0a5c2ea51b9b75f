// The face the windows were laid out for.
#pragma once

#include <QFont>

namespace tramsel {

// MS Sans Serif where it is installed, otherwise the nearest face we find
// with its widths (Liberation Sans, metric twin of Arial, first), at that size.
QFont classicFont(double points, bool bold = false);

} // namespace tramsel
