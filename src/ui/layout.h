// Window layouts as they are drawn: lengths in twips, 1440 to the inch.
#pragma once

namespace tramsel {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// Pixels for a length in twips on a screen of `dpi` dots per inch, rounded to
// the nearest pixel (halves up). At 96 dpi a twip is 1/15 pixel and every
// length of the layouts is a whole number of pixels but one, the about box's
// OK button (1467 twips, 97.8 pixels): rounding keeps it under the frame's
// centre, where truncating would shift it by most of a pixel.
constexpr int twipsToPixels(int twips, int dpi = 96)
{
    return (twips * dpi + 720) / 1440;
}

} // namespace tramsel
