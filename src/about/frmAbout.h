// The about box: the program's name, version, what it does and who makes it.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tramsel {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    // The box is owned by `owner` (the main window) and deletes itself when
    // it is closed.
    explicit frmAbout(QWidget *owner = nullptr);

    // Shows the one about box modally over `owner`, loading it if it is not
    // loaded, and returns once it has been closed.
    static void showModal(QWidget *owner);

    QGroupBox *Frame1 = nullptr;
    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *cmdOK = nullptr;

public slots:
    // Esc and the close box press OK, as the box's cancel button.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void cmdOK_Click();

private:
    void setupUi();
    void Form_Load();

    bool loaded_ = false;
};

} // namespace tramsel
