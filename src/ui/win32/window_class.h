// One window procedure per window class: a C++ object behind each window,
// reached through GWLP_USERDATA, as in the Windows classic samples.
#pragma once

#include <windows.h>

namespace tramsel::win {

// Hands every message to `Window::onMessage` of the object passed as
// CreateWindowEx's last argument, which owns itself: it is deleted after
// WM_NCDESTROY. A window class makes it a friend.
template <class Window> struct WindowProcedure {
    static LRESULT CALLBACK call(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            auto *self =
                static_cast<Window *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto *self = reinterpret_cast<Window *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        const LRESULT result = self->onMessage(msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            delete self;
        }
        return result;
    }
};

// Registers the window class `name` (once) with that procedure.
template <class Window> const wchar_t *registerWindowClass(const wchar_t *name, HICON icon)
{
    static const ATOM atom = [&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &WindowProcedure<Window>::call;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = icon;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = name;
        return RegisterClassExW(&wc);
    }();
    return atom ? name : nullptr;
}

} // namespace tramsel::win
