// frmAbout drawn with Win32.
#include "about/win32/frmAbout.h"

#include "ui/win32/loaded_windows.h"
#include <algorithm>

#include "platform/win/wide_text.h"
#include "ui/win32/window_class.h"
#include "windows/resource.h"

namespace tramsel {

using namespace about_box;

void frmAbout::showModal(HWND owner, win::LoadedWindows &windows)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t *className = win::registerWindowClass<frmAbout>(
        L"frmAbout", LoadIconW(instance, MAKEINTRESOURCEW(IDI_TRAMSEL)));
    const std::wstring caption = win::terminatedWide(kCaption).value_or(L"");
    auto *box = new frmAbout(windows);
    // A fixed dialog border with a control box; owned, so out of the task bar.
    const HWND hwnd =
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, className, caption.c_str(),
                        WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner,
                        nullptr, instance, box);
    if (!hwnd) {
        delete box;
        return;
    }

    // Modal as DialogBox is: the program's other windows are disabled and a
    // loop of the box's own runs until it is gone.
    for (std::size_t i = 0; i < windows.count(); ++i)
        if (const HWND other = windows.at(i); other != hwnd && IsWindowEnabled(other)) {
            EnableWindow(other, FALSE);
            box->disabled_.push_back(other);
        }
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (IsWindow(hwnd)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

LRESULT frmAbout::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        windows_.load(hwnd_);
        setupUi();
        Form_Load();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {  // OK, Enter and Esc
            cmdOK_Click();
            return 0;
        }
        break;
    case WM_CLOSE:  // the close box
        cmdOK_Click();
        return 0;
    case WM_SETFOCUS:  // the box activated again: OK keeps the focus
        SetFocus(cmdOK);
        return 0;
    case WM_DPICHANGED:
        controls_.dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return labelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        if (icon_)
            DestroyIcon(icon_);
        windows_.unloaded(hwnd_);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void frmAbout::setupUi()
{
    win::setClientSize(hwnd_, kClientWidth, kClientHeight);
    // Centred over its owner.
    RECT owner{}, box{};
    GetWindowRect(GetWindow(hwnd_, GW_OWNER), &owner);
    GetWindowRect(hwnd_, &box);
    SetWindowPos(hwnd_, nullptr, std::max(0L, (owner.left + owner.right - (box.right - box.left)) / 2),
                 std::max(0L, (owner.top + owner.bottom - (box.bottom - box.top)) / 2), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    controls_.attach(hwnd_);
    // The face the labels were laid out for: Windows still ships it (a bitmap
    // font at 8 and 10 points on a 96 dpi screen); the dialog font where it is missing.
    constexpr win::Typeface normal{L"MS Sans Serif", 8.25, false};
    constexpr win::Typeface title{L"MS Sans Serif", 9.75, true};
    constexpr win::Typeface bold{L"MS Sans Serif", 8.25, true};

    // The icon first, so that it stands in front of the frame; the frame
    // last, behind everything and drawing only around its siblings.
    icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ABOUT), IMAGE_ICON, 32, 32, 0));
    picIcon =
        controls_.create(L"STATIC", nullptr, SS_ICON | SS_REALSIZEIMAGE, kPicIcon, 0, std::nullopt);
    SendMessageW(picIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

    // The labels are placed relative to the frame, as its contents.
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        const Label &label = kLabels[i];
        const TwipsRect rect{kFrame1.left + label.rect.left, kFrame1.top + label.rect.top,
                             label.rect.width, label.rect.height};
        const win::Typeface font = label.face == Face::TitleBold ? title
                                   : label.face == Face::Bold    ? bold
                                                                 : normal;
        const std::wstring text = win::terminatedWide(label.text).value_or(L"");
        labels_[i] = controls_.create(L"STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX, rect, 0, font);
    }

    cmdOK = controls_.create(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, kOK, IDOK, normal);
    Frame1 = controls_.create(L"BUTTON", L"", BS_GROUPBOX | WS_CLIPSIBLINGS, kFrame1, 0, normal);
    SetFocus(cmdOK);
}

LRESULT frmAbout::labelColours(HDC dc, HWND control)
{
    COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    for (std::size_t i = 0; i < kLabels.size(); ++i)
        if (labels_[i] == control &&
            (kLabels[i].face == Face::Black || kLabels[i].face == Face::TitleBold))
            colour = RGB(0, 0, 0);
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void frmAbout::Form_Load()
{
    // Nothing to do: every text of the box is fixed.
}

void frmAbout::cmdOK_Click()
{
    // The owner takes input again before the box goes, so that it, and not
    // some other program, becomes the active window.
    for (const HWND window : disabled_)
        EnableWindow(window, TRUE);
    disabled_.clear();
    DestroyWindow(hwnd_);
}

} // namespace tramsel
