// frmEnterUser: the dialog in which the user names the account to report on.
#pragma once

#include <QDialog>

#include "main/program.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tramsel {

// The message a user name is refused with, or an empty text when it is
// acceptable: it must not be empty and holds neither a space nor a backslash.
QString userNameError(const QString &userName);

class frmEnterUser : public QDialog {
    Q_OBJECT

public:
    // Loads the dialog: empty fields, the caret in txtDomain, centred on the screen.
    explicit frmEnterUser(const Services &services);
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
    void focusAndSelect(QLineEdit *field);

    Services services_;
    QLineEdit *caretField_ = nullptr;  // the field last focused and selected
    QLabel *lblLabels[2] = {};
    QLineEdit *txtDomain = nullptr;
    QLineEdit *txtUserName = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace tramsel
