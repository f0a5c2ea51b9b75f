// frmEnterUser drawn with Win32.
#include "enter_user/win32/frmEnterUser.h"

#include <commctrl.h>
#include <imm.h>

#include "ui/win32/loaded_windows.h"
#include "ui/win32/message_box.h"
#include "platform/win/wide_text.h"
#include "ui/win32/window_class.h"
#include "windows/resource.h"

namespace tramsel {

using namespace enter_user;

namespace {

frmEnterUser *theInstance = nullptr;

constexpr UINT kRestoreFocus = WM_APP + 1;

// The dialog has no owner, yet stays out of the task bar: Windows lists an
// unowned top-level window there, so it is owned by this window, which is
// never shown and is not one of the program's windows.
HWND hiddenOwner()
{
    static const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr);
    return owner;
}

void drawAsDefault(HWND button, bool isDefault)
{
    SendMessageW(button, BM_SETSTYLE, (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY, TRUE);
}

} // namespace

frmEnterUser *frmEnterUser::instance() { return theInstance; }

void frmEnterUser::show(win::LoadedWindows &windows, EntryHandler onEntry)
{
    if (!theInstance) {
        const wchar_t *className = win::registerWindowClass<frmEnterUser>(
            L"frmEnterUser", LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAMSEL)));
        const std::wstring caption = win::terminatedWide(kCaption).value_or(L"");
        auto *dialog = new frmEnterUser(windows, std::move(onEntry));
        // A fixed dialog border with a control box, no minimise or maximise box.
        if (!CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, className, caption.c_str(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                             hiddenOwner(), nullptr, GetModuleHandleW(nullptr), dialog)) {
            delete dialog;
            return;
        }
    }
    ShowWindow(theInstance->hwnd_, SW_SHOW);
    SetForegroundWindow(theInstance->hwnd_);
    SetActiveWindow(theInstance->hwnd_);
}

frmEnterUser::frmEnterUser(win::LoadedWindows &windows, EntryHandler onEntry)
    : windows_(windows), onEntry_(std::move(onEntry))
{
    theInstance = this;
}

frmEnterUser::~frmEnterUser()
{
    if (theInstance == this)
        theInstance = nullptr;
}

LRESULT frmEnterUser::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        Form_Load();
        return 0;
    case WM_COMMAND:
        // As in a dialog box, the focused push button is the default one,
        // else OK; the default button is drawn with a heavier border.
        if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == EN_SETFOCUS) {
            const bool cancel = reinterpret_cast<HWND>(lParam) == cmdCancel;
            drawAsDefault(cmdOK, !cancel);
            drawAsDefault(cmdCancel, cancel);
            return 0;
        }
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        switch (LOWORD(wParam)) {
        case IDOK:
            cmdOK_Click();
            return 0;
        case IDCANCEL:  // Cancel and Esc
            cmdCancel_Click();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // The focus leaves with the dialog and comes back to the same control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (const HWND focus = GetFocus(); focus && IsChild(hwnd_, focus))
                focus_ = focus;
        } else if (focus_) {
            SetFocus(focus_);
        }
        return 0;
    case WM_SHOWWINDOW:
        // Shown (again): the control that had the focus gets it back, a
        // field with its whole text selected; after a good entry, the user name.
        if (wParam)
            PostMessageW(hwnd_, kRestoreFocus, 0, 0);
        break;
    case kRestoreFocus:
        if (focus_ == txtDomain || focus_ == txtUserName)
            focusAndSelect(focus_ == txtDomain ? Field::Domain : Field::UserName);
        else if (focus_)
            SetFocus(focus_);
        return 0;
    case DM_GETDEFID:  // IsDialogMessage asks which button Enter presses
        return MAKELRESULT(GetFocus() == cmdCancel ? IDCANCEL : IDOK, DC_HASDEFID);
    case WM_DPICHANGED:
        controls_.dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_CLOSE:  // the close box
        cmdCancel_Click();
        return 0;
    case WM_DESTROY:
        Form_Unload();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void frmEnterUser::Form_Load()
{
    windows_.load(hwnd_);
    win::setClientSize(hwnd_, kClientWidth, kClientHeight);
    win::centreOnScreen(hwnd_);
    controls_.attach(hwnd_);

    // Created in tab order: domain, user name, OK, Cancel; the labels take no focus.
    const std::wstring domainLabel = win::terminatedWide(kDomainLabelText).value_or(L"");
    const std::wstring userNameLabel = win::terminatedWide(kUserNameLabelText).value_or(L"");
    txtDomain = controls_.create(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kDomainField, 0,
                                 win::Typeface{}, WS_EX_CLIENTEDGE);
    txtUserName = controls_.create(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kUserNameField, 0,
                                   win::Typeface{}, WS_EX_CLIENTEDGE);
    cmdOK = controls_.create(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, kOK, IDOK);
    cmdCancel = controls_.create(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, kCancel,
                                 IDCANCEL);
    lblLabels[1] =
        controls_.create(L"STATIC", domainLabel.c_str(), SS_LEFT | WS_CLIPSIBLINGS, kDomainLabel);
    lblLabels[0] =
        controls_.create(L"STATIC", userNameLabel.c_str(), SS_LEFT | WS_CLIPSIBLINGS, kUserNameLabel);
    // The labels reach under the fields: the fields stay in front of them.
    SetWindowPos(lblLabels[1], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(lblLabels[0], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Limits hold for typing and pasting alike.
    SendMessageW(txtDomain, EM_LIMITTEXT, kDomainLimit, 0);
    SendMessageW(txtUserName, EM_LIMITTEXT, kUserNameLimit, 0);
    ImmAssociateContext(txtDomain, nullptr);
    focus_ = txtDomain;
}

void frmEnterUser::Form_Unload()
{
    // Cancel, Esc, the close box and the main window's unload all end here:
    // the dialog and its texts are discarded.
    windows_.unloaded(hwnd_);
}

void frmEnterUser::cmdOK_Click() { okClicked(*this); }

void frmEnterUser::cmdCancel_Click() { unload(); }

HWND frmEnterUser::field(Field which) const { return which == Field::Domain ? txtDomain : txtUserName; }

std::string frmEnterUser::text(Field which) const
{
    const HWND edit = field(which);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return win::utf8FromWide(text).value_or(std::string());
}

void frmEnterUser::showError(const std::string &message) { win::showError(message); }

void frmEnterUser::focusAndSelect(Field which)
{
    focus_ = field(which);
    if (IsWindowVisible(hwnd_))
        SetActiveWindow(hwnd_);
    SetFocus(focus_);
    SendMessageW(focus_, EM_SETSEL, 0, -1);
}

void frmEnterUser::hideDialog() { ShowWindow(hwnd_, SW_HIDE); }

void frmEnterUser::submit(const std::string &domain, const std::string &userName)
{
    if (onEntry_)
        onEntry_(domain, userName);
}

} // namespace tramsel
