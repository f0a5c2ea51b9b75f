// frmEnterUser drawn with Qt.
#include "enter_user/qt/frmEnterUser.h"

#include <algorithm>

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "ui/qt/artwork.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/message_box.h"
#include "ui/qt/twips.h"

using namespace Qt::StringLiterals;

namespace tramsel {

using namespace enter_user;

frmEnterUser::frmEnterUser(MessageBoxService &messageBox, LoadedWindows &windows, EntryHandler onEntry)
    : QDialog(nullptr), messageBox_(messageBox), windows_(windows), onEntry_(std::move(onEntry))
{
    setObjectName(u"frmEnterUser"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(applicationIcon());
    // A fixed dialog border with a control box but no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(pixels(kClientWidth), pixels(kClientHeight));

    createControls();

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    windows_.load(this);
}

frmEnterUser::~frmEnterUser() { windows_.unloaded(this); }

void frmEnterUser::createControls()
{
    // The labels come first so that the fields, created after them, lie on
    // top where a label's box reaches into its field: a click anywhere on a
    // field puts the caret in it.
    lblLabels[1] = new QLabel(QString::fromUtf8(kDomainLabelText), this);
    lblLabels[1]->setObjectName(u"lblLabels_1"_s);
    lblLabels[1]->setGeometry(pixels(kDomainLabel));
    lblLabels[0] = new QLabel(QString::fromUtf8(kUserNameLabelText), this);
    lblLabels[0]->setObjectName(u"lblLabels_0"_s);
    lblLabels[0]->setGeometry(pixels(kUserNameLabel));

    // In tab order: domain, user name, OK, Cancel; the labels take no focus.
    txtDomain = new QLineEdit(this);
    txtDomain->setObjectName(u"txtDomain"_s);
    txtDomain->setGeometry(pixels(kDomainField));
    txtDomain->setMaxLength(kDomainLimit);
    txtDomain->setAttribute(Qt::WA_InputMethodEnabled, false);

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(u"txtUserName"_s);
    txtUserName->setGeometry(pixels(kUserNameField));
    txtUserName->setMaxLength(kUserNameLimit);

    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setGeometry(pixels(kOK));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmEnterUser::cmdOK_Click);

    cmdCancel = new QPushButton(u"Cancel"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    cmdCancel->setGeometry(pixels(kCancel));
    connect(cmdCancel, &QPushButton::clicked, this, &frmEnterUser::cmdCancel_Click);

    setTabOrder(txtDomain, txtUserName);
    setTabOrder(txtUserName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // The layout was drawn for a smaller default font. Where a label would run
    // under its text field, both labels get a font just small enough to end
    // before the fields.
    const int room = pixels(kDomainField.left) - pixels(kDomainLabel.left) - 2;
    int needed = 0;
    for (const QLabel *label : lblLabels)
        needed = std::max(needed, label->fontMetrics().horizontalAdvance(label->text()));
    QFont font = lblLabels[0]->font();
    if (needed > room && font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * room / needed);
        for (QLabel *label : lblLabels)
            label->setFont(font);
    }
}

QLineEdit *frmEnterUser::field(Field which) const
{
    return which == Field::Domain ? txtDomain : txtUserName;
}

void frmEnterUser::cmdOK_Click() { okClicked(*this); }

void frmEnterUser::cmdCancel_Click() { close(); }

void frmEnterUser::reject() { cmdCancel_Click(); }

void frmEnterUser::closeEvent(QCloseEvent *event)
{
    // Cancel, Esc, the close box and the main window's unload all end here:
    // the dialog and its texts are discarded.
    windows_.unloaded(this);
    event->accept();
}

void frmEnterUser::showEvent(QShowEvent *event)
{
    // Hiding takes the focus and the selection away; showing gives them back.
    QDialog::showEvent(event);
    if (!event->spontaneous())
        focusAndSelect(caretField_);
}

std::string frmEnterUser::text(Field which) const { return field(which)->text().toStdString(); }

void frmEnterUser::showError(const std::string &message)
{
    messageBox_.showError(this, QString::fromStdString(message));
}

void frmEnterUser::focusAndSelect(Field which)
{
    caretField_ = which;
    field(which)->setFocus();
    field(which)->selectAll();
}

void frmEnterUser::hideDialog() { hide(); }

void frmEnterUser::submit(const std::string &domain, const std::string &userName)
{
    if (onEntry_)
        onEntry_(QString::fromStdString(domain), QString::fromStdString(userName));
}

} // namespace tramsel
