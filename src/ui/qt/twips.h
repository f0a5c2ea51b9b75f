// Twips as Qt's logical pixels: 96 to the inch, which Qt scales to the screen.
#pragma once

#include <QRect>

#include "ui/layout.h"

namespace tramsel {

inline int pixels(int twips) { return twipsToPixels(twips); }

inline QRect pixels(const TwipsRect &r)
{
    return {pixels(r.left), pixels(r.top), pixels(r.width), pixels(r.height)};
}

} // namespace tramsel
