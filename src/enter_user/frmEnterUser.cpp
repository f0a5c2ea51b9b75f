// frmEnterUser: the dialog in which the user names the account to report on.
#include "enter_user/frmEnterUser.h"

#include <algorithm>

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "platform/qt/artwork.h"
#include "platform/qt/loaded_windows.h"
#include "platform/qt/message_box.h"

using namespace Qt::StringLiterals;

namespace tramsel {
namespace {

// Lengths are laid out in twips, 15 to a logical pixel.
constexpr int px(int twips) { return twips / 15; }
QRect twips(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

} // namespace

QString userNameError(const QString &userName)
{
    if (userName.isEmpty())
        return u"User Name cannot be blank"_s;
    if (userName.contains(u' ') || userName.contains(u'\\'))
        return u"Wrong User Name"_s;
    return {};
}

frmEnterUser::frmEnterUser(const Services &services) : QDialog(nullptr), services_(services)
{
    setObjectName(u"frmEnterUser"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Enter User"_s);
    setWindowIcon(applicationIcon());
    // A fixed dialog border with a control box but no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(3750), px(1545));

    createControls();

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    services_.windows.load(this);
    caretField_ = txtDomain;
}

frmEnterUser::~frmEnterUser() { services_.windows.unloaded(this); }

void frmEnterUser::createControls()
{
    // In tab order: domain, user name, OK, Cancel; the labels take no focus.
    txtDomain = new QLineEdit(this);
    txtDomain->setObjectName(u"txtDomain"_s);
    txtDomain->setGeometry(twips(1200, 120, 2325, 345));
    txtDomain->setMaxLength(20);
    txtDomain->setAttribute(Qt::WA_InputMethodEnabled, false);

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(u"txtUserName"_s);
    txtUserName->setGeometry(twips(1200, 480, 2325, 345));
    txtUserName->setMaxLength(255);

    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setGeometry(twips(495, 1020, 1140, 390));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmEnterUser::cmdOK_Click);

    cmdCancel = new QPushButton(u"Cancel"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    cmdCancel->setGeometry(twips(2100, 1020, 1140, 390));
    connect(cmdCancel, &QPushButton::clicked, this, &frmEnterUser::cmdCancel_Click);

    setTabOrder(txtDomain, txtUserName);
    setTabOrder(txtUserName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    lblLabels[1] = new QLabel(u"Domain:"_s, this);
    lblLabels[1]->setObjectName(u"lblLabels_1"_s);
    lblLabels[1]->setGeometry(twips(240, 240, 1080, 270));
    lblLabels[0] = new QLabel(u"User Name:"_s, this);
    lblLabels[0]->setObjectName(u"lblLabels_0"_s);
    lblLabels[0]->setGeometry(twips(240, 600, 1080, 270));

    // The layout was drawn for a smaller default font. Where a label would run
    // under its text field, both labels get a font just small enough to end
    // before the fields.
    const int room = px(1200) - px(240) - 2;
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

void frmEnterUser::cmdOK_Click()
{
    if (txtDomain->text().isEmpty()) {
        services_.messageBox.showError(
            this, u"Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup"_s);
        focusAndSelect(txtDomain);
        return;
    }
    if (const QString error = userNameError(txtUserName->text()); !error.isEmpty()) {
        services_.messageBox.showError(this, error);
        focusAndSelect(txtUserName);
        return;
    }
    focusAndSelect(txtUserName);
    hide();
    ShowAccountUsage(txtDomain->text(), txtUserName->text());
}

void frmEnterUser::cmdCancel_Click() { close(); }

void frmEnterUser::reject() { cmdCancel_Click(); }

void frmEnterUser::closeEvent(QCloseEvent *event)
{
    // Cancel, Esc, the close box and the main window's unload all end here:
    // the dialog and its texts are discarded.
    services_.windows.unloaded(this);
    event->accept();
}

void frmEnterUser::showEvent(QShowEvent *event)
{
    // Hiding takes the focus and the selection away; showing gives them back.
    QDialog::showEvent(event);
    if (!event->spontaneous())
        focusAndSelect(caretField_);
}

void frmEnterUser::focusAndSelect(QLineEdit *field)
{
    caretField_ = field;
    field->setFocus();
    field->selectAll();
}

} // namespace tramsel
