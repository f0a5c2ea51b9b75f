// frmAudit drawn with Qt: every account of a domain or machine in a table,
// with the command line's filters, a find field, export and the
// per-controller rows of the selected account.
#pragma once

#include <functional>
#include <string>

#include <QDateTime>
#include <QMainWindow>

#include "audit/audit_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTableWidget;
class QTimer;

namespace tramsel {

class AccountTable;
class LoadedWindows;
class MessageBoxService;
class QtLocale;

class frmAudit : public QMainWindow {
    Q_OBJECT

public:
    struct Setup {
        SourceFactory makeSource;
        SourceOptions options;  // --root and --server from the command line
        const QtLocale &locale;
        MessageBoxService &messageBox;
        LoadedWindows &windows;
        QString domain;  // what txtDomain starts with
        // Double-click or Enter on a row: that account's report in the main window.
        std::function<void(const QString &domain, const QString &userName)> showAccount;
        std::function<QDateTime()> now = &QDateTime::currentDateTime;
    };

    explicit frmAudit(Setup setup);
    ~frmAudit() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void cmdList_Click();
    void cmdSave_Click();
    void cmdClose_Click();
    void txtFind_Change();
    void filters_Change();
    void lvwAccounts_HeaderClick(int section);
    void lvwAccounts_HeaderMenu(const QPoint &at);
    void lvwAccounts_DblClick(const QModelIndex &index);
    void lvwAccounts_Copy();
    void lvwAccounts_SelectionSettled();
    void takeListingNews();
    void takeControllers();

private:
    void createControls();
    void createTable();
    void createStatusBar();
    void showRows();
    void listingEnded();
    void showStatus(const audit_window::Status &status);
    std::string server() const;

    Setup setup_;
    audit_window::Session session_;
    audit_window::VisibleColumns columns_;

    QLineEdit *txtDomain = nullptr;
    QLineEdit *txtServer = nullptr;
    QCheckBox *chkInactive = nullptr;
    QSpinBox *txtInactiveDays = nullptr;
    QCheckBox *chkNeverLoggedIn = nullptr;
    QCheckBox *chkLocked = nullptr;
    QComboBox *cboState = nullptr;
    QCheckBox *chkPasswordExpires = nullptr;
    QSpinBox *txtExpiresDays = nullptr;
    QLineEdit *txtFind = nullptr;
    QPushButton *cmdList = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClose = nullptr;
    QTableView *lvwAccounts = nullptr;
    AccountTable *accounts_ = nullptr;
    QTableWidget *lvwControllers = nullptr;
    QLabel *sbWarning = nullptr;
    QLabel *sbStatus = nullptr;
    QProgressBar *prgListing = nullptr;
    QTimer *settle_ = nullptr;
};

} // namespace tramsel
