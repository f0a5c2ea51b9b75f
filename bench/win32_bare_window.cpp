// The yardstick for tramsel.exe's start-up under Wine: a bare Win32 window
// with the same controls (menu, toolbar with two images, multi-line edit,
// status bar with three parts) and nothing behind them. Exits on Ctrl+Q.
#include <windows.h>

#include <commctrl.h>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    switch (msg) {
    case WM_CREATE: {
        const HMENU bar = CreateMenu(), file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 1, L"E&xit\tCtrl+Q");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        SetMenu(hwnd, bar);
        const HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NORESIZE, 0, 0,
                                             314, 28, hwnd, nullptr, instance, nullptr);
        SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        const HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
        SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
        TBBUTTON buttons[3] = {{0, 10, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
                               {1, 11, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
                               {0, 0, 0, BTNS_SEP, {}, 0, 0}};
        SendMessageW(toolbar, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons));
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_HSCROLL | WS_VSCROLL, 0,
                        32, 313, 225, hwnd, nullptr, instance, nullptr);
        const HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                                            WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
                                            258, 314, 18, hwnd, nullptr, instance, nullptr);
        const int parts[] = {120, 220, 314};
        SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == 1)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BareWindow";
    RegisterClassW(&wc);
    const HWND hwnd =
        CreateWindowExW(0, L"BareWindow", L"Bare V. 2.0", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 320, 320, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    ACCEL exit{FCONTROL | FVIRTKEY, 'Q', 1};
    const HACCEL accelerators = CreateAcceleratorTableW(&exit, 1);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        if (!TranslateAcceleratorW(hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    return 0;
}
