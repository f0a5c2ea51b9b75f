// frmMain drawn with Win32: the main window with its menu, toolbar, report
// area and status bar.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "main/main_window.h"
#include "main/win32/program.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_metrics.h"
#include "report/report_view.h"

namespace tramsel {

class frmMain final : public ReportView {
public:
    // The account ("DOMAIN\user") comes from the command line.
    static frmMain *create(const Services &services, const std::optional<std::string> &account);
    // The one main window, or nullptr.
    static frmMain *instance();

    const Services &services() const { return services_; }
    HWND hwnd() const { return hwnd_; }
    // Shows the window; its first showing runs Form_Load.
    void show();
    // The message loop's part: the entry dialog's keys first, then the main
    // window's shortcuts. True when the message was handled.
    bool translate(MSG *message);

    // Text1's whole text; lines end in CR LF.
    void replaceReportText(const std::string &text) override;

    // The report procedure's part: reads the account on a thread of its own
    // while the window stays painted under a wait cursor, writes the report
    // and returns. Why it failed, or whose answers it lacks, goes to
    // standard error and to the first status panel's tool tip.
    void showAccountUsage(const std::string &domain, const std::string &userName);

private:
    friend struct win::WindowProcedure<frmMain>;

    frmMain(const Services &services, const std::optional<std::string> &account);
    ~frmMain() override;
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void createMenus();
    void createToolBar();
    void createReportArea();
    void createStatusBar();
    void run(main_window::Command command);
    void reportCommandLineAccount();
    LRESULT onNotify(const NMHDR &header);
    void showDateAndTime();

    void Form_Load();
    void Form_Unload();
    void tbToolBar_ButtonClick(int index);
    void mnuEnterUser_Click();
    void mnuAudit_Click();
    void mnuClear_Click();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();

    Services services_;
    std::optional<std::string> account_;
    HWND hwnd_ = nullptr;
    bool loaded_ = false;
    HACCEL accelerators_ = nullptr;
    win::Controls controls_;
    HIMAGELIST imlToolbarIcons = nullptr;
    HWND tbToolBar = nullptr;
    HWND Text1 = nullptr;
    HWND sbStatusBar = nullptr;
    main_window::StatusTexts shown_;  // what the status panels show
    std::wstring statusTip_;          // the first panel's tool tip
    std::string lastDomain_;          // the domain last typed in the entry dialog
    bool reading_ = false;            // a report is being read
    bool closeWhenRead_ = false;      // and the window was closed meanwhile
};

} // namespace tramsel
