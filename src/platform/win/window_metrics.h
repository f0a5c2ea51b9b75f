// Win32 windows laid out in twips: the window's DPI, pixel rectangles, client
// sizes, centring and the dialog font.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "ui/layout.h"

namespace tramsel::win {

// The window's DPI where Windows keeps one per window (10, version 1607 on),
// else the screen's.
int dpiOf(HWND window);

RECT pixels(const TwipsRect &rect, int dpi);

// Sizes the window so that its client area (below the menu bar, if it has
// one) is `width` x `height` twips.
void setClientSize(HWND window, int width, int height);
void centreOnScreen(HWND window);

// Creates a child control at a rectangle given in twips, in the dialog font.
HWND createControl(HWND parent, const wchar_t *className, const wchar_t *text, DWORD style,
                   const TwipsRect &rect, int id, HFONT font, DWORD exStyle = 0);

struct DeleteFont {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteFont>;

// The platform's dialog font (the message font of the user's settings,
// Tahoma 8 points by default) at `dpi`; `points` other than 0 sets its size,
// in points.
Font dialogFont(int dpi, double points = 0, bool bold = false);

// The face where it is installed, else the dialog font, at `points` and `dpi`.
Font namedFont(const wchar_t *face, double points, bool bold, int dpi);

} // namespace tramsel::win
