// Win32 windows laid out in twips.
#include "ui/win32/window_metrics.h"

namespace tramsel::win {
namespace {

// Functions of later Windows versions, looked up so that the program still
// starts where they are missing.
template <class Function> Function user32Function(const char *name)
{
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32
               ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
               : nullptr;
}

int screenDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int dpiOf(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window); dpi > 0)
            return static_cast<int>(dpi);
    return screenDpi();
}

RECT pixels(const TwipsRect &r, int dpi)
{
    const int left = twipsToPixels(r.left, dpi);
    const int top = twipsToPixels(r.top, dpi);
    return {left, top, left + twipsToPixels(r.width, dpi), top + twipsToPixels(r.height, dpi)};
}

void setClientSize(HWND window, int width, int height)
{
    using AdjustForDpiFn = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    const int dpi = dpiOf(window);
    RECT r{0, 0, twipsToPixels(width, dpi), twipsToPixels(height, dpi)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const BOOL menu = GetMenu(window) != nullptr;
    if (!(adjustForDpi && adjustForDpi(&r, style, menu, exStyle, static_cast<UINT>(dpi))))
        AdjustWindowRectEx(&r, style, menu, exStyle);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar too long for one line wraps and takes client height: measure again.
    RECT client{};
    GetClientRect(window, &client);
    const int missing = twipsToPixels(height, dpi) - client.bottom;
    if (missing > 0)
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void centreOnScreen(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &area = monitor.rcWork;
    const int x = area.left + (area.right - area.left - (r.right - r.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (r.bottom - r.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Font dialogFont(int dpi, double points, bool bold)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        // The settings are at the screen's DPI; the window may be on another.
        font.lfHeight = MulDiv(font.lfHeight, dpi, screenDpi());
    } else {
        lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
        font.lfHeight = -MulDiv(8, dpi, 72);
    }
    if (points > 0)
        font.lfHeight = -static_cast<LONG>(points * dpi / 72 + 0.5);
    if (bold)
        font.lfWeight = FW_BOLD;
    return Font(CreateFontIndirectW(&font));
}

Font namedFont(const wchar_t *face, double points, bool bold, int dpi)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    const HDC screen = GetDC(nullptr);
    bool installed = false;
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool *>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&installed), 0);
    ReleaseDC(nullptr, screen);
    if (!installed)
        return dialogFont(dpi, points, bold);
    wanted.lfHeight = -static_cast<LONG>(points * dpi / 72 + 0.5);
    wanted.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return Font(CreateFontIndirectW(&wanted));
}

void Controls::attach(HWND parent)
{
    parent_ = parent;
    dpi_ = dpiOf(parent);
}

HWND Controls::create(const wchar_t *className, const wchar_t *text, DWORD style, const TwipsRect &rect,
                      int id, std::optional<Typeface> font, DWORD exStyle)
{
    const RECT r = pixels(rect, dpi_);
    const HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                         r.left, r.top, r.right - r.left, r.bottom - r.top, parent_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (!control)
        return nullptr;
    if (font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(this->font(*font)), FALSE);
    controls_.push_back({control, rect, font});
    return control;
}

HFONT Controls::font(const Typeface &wanted)
{
    for (const auto &[made, font] : fonts_)
        if (made.face == wanted.face && made.points == wanted.points && made.bold == wanted.bold)
            return font.get();
    Font font = wanted.face ? namedFont(wanted.face, wanted.points, wanted.bold, dpi_)
                            : dialogFont(dpi_, wanted.points, wanted.bold);
    fonts_.emplace_back(wanted, std::move(font));
    return fonts_.back().second.get();
}

void Controls::dpiChanged(int dpi, const RECT &suggested)
{
    SetWindowPos(parent_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The old fonts go once every control has its new one.
    std::vector<std::pair<Typeface, Font>> old = std::move(fonts_);
    fonts_.clear();
    dpi_ = dpi;
    for (const Control &control : controls_) {
        const RECT r = pixels(control.rect, dpi);
        SetWindowPos(control.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (control.font)
            SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(*control.font)), TRUE);
    }
}

} // namespace tramsel::win
