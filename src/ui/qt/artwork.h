// The program's icons: the application's and the about box's.
#pragma once

#include <QIcon>

namespace tramsel {

// The application icon in the sizes a window shows it; every window carries it.
QIcon applicationIcon();

// The about box's open padlock with a dial, 32 x 32 (and 16 x 16).
QIcon aboutIcon();

} // namespace tramsel
