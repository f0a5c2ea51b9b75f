// frmMain: the main window with its menu, toolbar, report area and status bar.
#pragma once

#include <optional>
#include <string>

#include <QMainWindow>

#include "main/program.h"
#include "report/report_view.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStatusBar;
class QTimer;
class QToolBar;

namespace tramsel {

class frmMain : public QMainWindow, public ReportView {
    Q_OBJECT

public:
    // The account ("DOMAIN\user", may be empty) comes from the command line.
    explicit frmMain(const Services &services, const std::optional<QString> &account = {});
    ~frmMain() override;

    const Services &services() const { return services_; }

    // Text1's text exactly as the report produced it (CR LF line ends); the
    // widget itself shows and copies plain line breaks.
    void replaceReportText(const std::string &text) override;
    const std::string &reportText() const { return report_; }

    // The first show loads the window (Form_Load).
    void setVisible(bool visible) override;

protected:
    QMenu *createPopupMenu() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void Form_Load();
    void Form_Unload();
    void tbToolBar_ButtonClick(QAction *button);
    void mnuEnterUser_Click();
    void mnuClear_Click();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void showDateAndTime();

private:
    void createMenus();
    void createToolBar();
    void createReportArea();
    void createStatusBar();
    void arrangeStatusPanels();
    void reportCommandLineAccount();

    Services services_;
    std::optional<QString> account_;
    bool loaded_ = false;
    std::string report_;

    QMenu *mnuFile = nullptr;
    QAction *mnuEnterUser = nullptr;
    QAction *mnuClear = nullptr;
    QAction *mnuFileBar0 = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;
    QToolBar *tbToolBar = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QStatusBar *sbStatusBar = nullptr;
    QLabel *sbStatusPanel = nullptr;
    QLabel *sbDatePanel = nullptr;
    QLabel *sbTimePanel = nullptr;
    QTimer *clock_ = nullptr;
};

} // namespace tramsel
