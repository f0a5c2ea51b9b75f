// frmEnterUser drawn with Win32: the modeless dialog in which the user names
// the account.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "enter_user/entry.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_metrics.h"

namespace tramsel {

namespace win {
class LoadedWindows;
}

class frmEnterUser final : private enter_user::Dialog {
public:
    // Where a good entry goes: the domain and the user name (UTF-8), as typed.
    using EntryHandler = std::function<void(const std::string &domain, const std::string &userName)>;

    // The loaded instance, or nullptr.
    static frmEnterUser *instance();
    // Shows the dialog modeless, without owner, loading it first if it is not
    // loaded: empty fields, the caret in txtDomain, centred on the screen.
    static void show(win::LoadedWindows &windows, EntryHandler onEntry);

    HWND hwnd() const { return hwnd_; }
    // Tab, Enter and Esc in the dialog; true when the message was handled.
    bool dialogMessage(MSG *message) { return IsDialogMessageW(hwnd_, message); }
    void unload() { DestroyWindow(hwnd_); }

private:
    friend struct win::WindowProcedure<frmEnterUser>;

    frmEnterUser(win::LoadedWindows &windows, EntryHandler onEntry);
    ~frmEnterUser() override;
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void Form_Unload();
    void cmdOK_Click();
    void cmdCancel_Click();
    HWND field(enter_user::Field which) const;

    // enter_user::Dialog
    std::string text(enter_user::Field field) const override;
    void showError(const std::string &message) override;
    void focusAndSelect(enter_user::Field field) override;
    void hideDialog() override;
    void submit(const std::string &domain, const std::string &userName) override;

    win::LoadedWindows &windows_;
    EntryHandler onEntry_;
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the dialog was last active
    win::Controls controls_;
    HWND lblLabels[2] = {};
    HWND txtDomain = nullptr;
    HWND txtUserName = nullptr;
    HWND cmdOK = nullptr;
    HWND cmdCancel = nullptr;
};

} // namespace tramsel
