// frmAudit drawn with Win32 and the common controls: every account of a
// domain or machine in a virtual list view, with the command line's
// filters, a find field, Save As and the per-controller rows of the
// selected account.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "audit/audit_session.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_metrics.h"

namespace tramsel {

namespace win {
class LoadedWindows;
}

class frmAudit final {
public:
    struct Setup {
        SourceFactory makeSource;
        SourceOptions options;  // --root and --server from the command line
        const Locale &locale;
        win::LoadedWindows &windows;
        std::string domain;  // what txtDomain starts with
        // Double-click or Enter on a row: that account's report in the main window.
        std::function<void(const std::string &domain, const std::string &userName)> showAccount;
    };

    // The loaded instance, or nullptr.
    static frmAudit *instance();
    // Shows the window modeless and without owner, loading it first if it
    // is not loaded; a loaded one is brought to the front as it was left.
    static void show(Setup setup);

    HWND hwnd() const { return hwnd_; }
    // Tab, Enter and Esc in the window; true when the message was handled.
    bool dialogMessage(MSG *message) { return IsDialogMessageW(hwnd_, message); }

private:
    friend struct win::WindowProcedure<frmAudit>;

    explicit frmAudit(Setup setup);
    ~frmAudit();
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(const NMHDR &header);
    void onCommand(int id, int code, HWND control);
    void Form_Load();
    void Form_Unload();
    void createControls();
    void layOut();

    void cmdList_Click();
    void cmdSave_Click();
    void cmdClose_Click();
    void txtFind_Change();
    void filters_Change();
    void lvwAccounts_ColumnClick(int subItem);
    void lvwAccounts_HeaderMenu(POINT at);
    void lvwAccounts_DblClick();
    void lvwAccounts_Copy();
    void lvwAccounts_SelectionSettled();
    void takeListingNews();
    void takeControllers();

    void showColumns();
    int headerWidth(std::string_view key) const;
    void showSortArrow();
    void showRows();
    void listingEnded();
    void showStatus(const audit_window::Status &status);
    void showControllers(bool shown);
    std::string text(HWND control) const;
    std::vector<std::size_t> selectedRows() const;
    std::string server() const;

    Setup setup_;
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was last active
    win::Controls controls_;
    audit_window::Session session_;
    audit_window::VisibleColumns columns_;
    std::vector<std::size_t> shownColumns_;  // the list view's columns, as accountColumns() indices
    std::wstring cell_;       // the text a list view asked for, until it asks again
    std::wstring statusTip_;  // the status panel's tool tip
    HICON warningIcon_ = nullptr;

    HWND txtDomain = nullptr;
    HWND txtServer = nullptr;
    HWND chkInactive = nullptr;
    HWND txtInactiveDays = nullptr;
    HWND chkNeverLoggedIn = nullptr;
    HWND chkLocked = nullptr;
    HWND cboState = nullptr;
    HWND chkPasswordExpires = nullptr;
    HWND txtExpiresDays = nullptr;
    HWND txtFind = nullptr;
    HWND cmdList = nullptr;
    HWND cmdSave = nullptr;
    HWND cmdClose = nullptr;
    HWND lvwAccounts = nullptr;
    HWND lvwControllers = nullptr;
    HWND sbStatusBar = nullptr;
    HWND prgListing = nullptr;
};

} // namespace tramsel
