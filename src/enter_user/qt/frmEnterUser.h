// frmEnterUser drawn with Qt: the dialog in which the user names the account.
#pragma once

#include <functional>

#include <QDialog>

#include "enter_user/entry.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tramsel {

class LoadedWindows;
class MessageBoxService;

class frmEnterUser : public QDialog, private enter_user::Dialog {
    Q_OBJECT

public:
    // Where a good entry goes: the domain and the user name, as typed.
    using EntryHandler = std::function<void(const QString &domain, const QString &userName)>;

    // Loads the dialog: empty fields, the caret in txtDomain, centred on the screen.
    frmEnterUser(MessageBoxService &messageBox, LoadedWindows &windows, EntryHandler onEntry);
    ~frmEnterUser() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;  // Esc

private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void createControls();
    QLineEdit *field(enter_user::Field field) const;

    // enter_user::Dialog
    std::string text(enter_user::Field field) const override;
    void showError(const std::string &message) override;
    void focusAndSelect(enter_user::Field field) override;
    void hideDialog() override;
    void submit(const std::string &domain, const std::string &userName) override;

    MessageBoxService &messageBox_;
    LoadedWindows &windows_;
    EntryHandler onEntry_;
    enter_user::Field caretField_ = enter_user::Field::Domain;  // last focused and selected
    QLabel *lblLabels[2] = {};
    QLineEdit *txtDomain = nullptr;
    QLineEdit *txtUserName = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace tramsel
