// Win32 windows laid out in twips: the window's DPI, pixel rectangles, client
// sizes, centring and the dialog font.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

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

// A control's font: a face at a size in points, or the dialog font.
struct Typeface {
    const wchar_t *face = nullptr;  // nullptr: the dialog font
    double points = 0;              // 0: the dialog font's size
    bool bold = false;
};

// The child controls of one window, placed by rectangles in twips. They are
// made at the window's DPI and, when Windows moves the window to a screen of
// another DPI (WM_DPICHANGED), placed and given their fonts again.
class Controls {
public:
    void attach(HWND parent);
    // A control at `rect` in the font `font` (none for the common controls,
    // which choose their own).
    HWND create(const wchar_t *className, const wchar_t *text, DWORD style, const TwipsRect &rect,
                int id = 0, std::optional<Typeface> font = Typeface{}, DWORD exStyle = 0);
    int dpi() const { return dpi_; }
    // WM_DPICHANGED: the window takes the rectangle Windows suggests.
    void dpiChanged(int dpi, const RECT &suggested);

private:
    struct Control {
        HWND hwnd;
        TwipsRect rect;
        std::optional<Typeface> font;
    };
    HFONT font(const Typeface &wanted);

    HWND parent_ = nullptr;
    int dpi_ = 96;
    std::vector<Control> controls_;
    std::vector<std::pair<Typeface, Font>> fonts_;  // at dpi_
};

} // namespace tramsel::win
