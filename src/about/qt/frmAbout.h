// The about box: the program's name, version, what it does and who makes it.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tramsel {

class LoadedWindows;

class frmAbout : public QDialog {
    Q_OBJECT

public:
    // Loads the box, owned by `owner` (the main window), into `windows`; it
    // deletes itself when it is closed.
    frmAbout(QWidget *owner, LoadedWindows &windows);
    ~frmAbout() override;

    // Shows the one about box modally over `owner`, loading it if it is not
    // loaded, and returns once it has been closed.
    static void showModal(QWidget *owner, LoadedWindows &windows);

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

private slots:
    void cmdOK_Click();

private:
    void setupUi();
    void Form_Load();

    LoadedWindows &windows_;
};

} // namespace tramsel
