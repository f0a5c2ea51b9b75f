// frmMain drawn with Qt: the main window with its menu, toolbar, report area
// and status bar.
#pragma once

#include <optional>
#include <string>

#include <QMainWindow>

#include "main/main_window.h"
#include "main/qt/program.h"
#include "report/report_view.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QTimer;
class QToolBar;

namespace tramsel {

class frmMain : public QMainWindow, public ReportView {
    Q_OBJECT

public:
    // The account ("DOMAIN\user") comes from the command line.
    explicit frmMain(const Services &services, const std::optional<std::string> &account = {});
    ~frmMain() override;

    const Services &services() const { return services_; }

    // Text1's text exactly as the report produced it (CR LF line ends); the
    // widget itself shows and copies plain line breaks.
    void replaceReportText(const std::string &text) override;
    const std::string &reportText() const { return report_; }

    // The report procedure's part: reads the account on a thread of its own
    // while the window stays painted under a wait cursor, writes the report
    // and returns. Why it failed, or whose answers it lacks, goes to
    // standard error and to the first status panel's tool tip.
    void showAccountUsage(const std::string &domain, const std::string &userName);

protected:
    QMenu *createPopupMenu() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void Form_Load();
    void Form_Unload();
    void tbToolBar_ButtonClick(QAction *button);
    void mnuEnterUser_Click();
    void mnuAudit_Click();
    void mnuClear_Click();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void showDateAndTime();

private:
    void createMenus();
    void createToolBar();
    void createReportArea();
    void fitReportFont();
    void createStatusBar();
    void run(main_window::Command command);
    void reportCommandLineAccount();

    Services services_;
    std::optional<std::string> account_;
    std::string report_;
    QString lastDomain_;  // the domain last typed in the entry dialog

    QList<QAction *> shortcutItems_;  // the menu items with a shortcut
    QToolBar *tbToolBar = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QStatusBar *sbStatusBar = nullptr;
    QLabel *sbStatusPanel = nullptr;
    QLabel *sbDatePanel = nullptr;
    QLabel *sbTimePanel = nullptr;
    QTimer *clock_ = nullptr;
    bool reading_ = false;        // a report is being read
    bool closeWhenRead_ = false;  // and the window was closed meanwhile
};

} // namespace tramsel
