// frmMain: the main window with its menu, toolbar, report area and status bar.
#include "main/frmMain.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "about/frmAbout.h"
#include "enter_user/frmEnterUser.h"
#include "main/toolbar_images.h"
#include "platform/qt/artwork.h"
#include "platform/qt/loaded_windows.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_locale.h"

using namespace Qt::StringLiterals;

namespace tramsel {
namespace {

// Lengths are laid out in twips, 15 to a logical pixel.
constexpr int px(int twips) { return twips / 15; }

constexpr int kClientWidth = px(4710);
constexpr int kClientHeight = px(4140);  // below the menu bar
constexpr int kToolBarHeight = px(420);
constexpr int kStatusBarHeight = px(270);
constexpr int kMinimumPanelWidth = px(1440);
constexpr int kPanelGap = 2;

} // namespace

frmMain::frmMain(const Services &services, const std::optional<QString> &account)
    : services_(services), account_(account)
{
    setObjectName(u"frmMain"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Tramsel V. 2.0"_s);
    setWindowIcon(applicationIcon());
    // A fixed single border with a control box but no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);

    createMenus();
    createToolBar();
    createReportArea();
    createStatusBar();

    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    services_.windows.load(this);
    Text1->setFocus();
}

frmMain::~frmMain() { services_.windows.unloaded(this); }

void frmMain::createMenus()
{
    const auto item = [this](QMenu *menu, const QString &name, const QString &text,
                             QKeySequence shortcut, void (frmMain::*handler)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    mnuFile = menuBar()->addMenu(u"&File"_s);
    mnuFile->setObjectName(u"mnuFile"_s);
    mnuEnterUser = item(mnuFile, u"mnuEnterUser"_s, u"&Enter User name"_s,
                        QKeySequence(Qt::CTRL | Qt::Key_E), &frmMain::mnuEnterUser_Click);
    mnuClear = item(mnuFile, u"mnuClear"_s, u"C&lear"_s, QKeySequence(Qt::CTRL | Qt::Key_L),
                    &frmMain::mnuClear_Click);
    mnuFileBar0 = mnuFile->addSeparator();
    mnuFileBar0->setObjectName(u"mnuFileBar0"_s);
    mnuFileExit = item(mnuFile, u"mnuFileExit"_s, u"E&xit"_s, QKeySequence(Qt::CTRL | Qt::Key_Q),
                       &frmMain::mnuFileExit_Click);

    mnuHelp = menuBar()->addMenu(u"&Help"_s);
    mnuHelp->setObjectName(u"mnuHelp"_s);
    mnuHelpAbout = item(mnuHelp, u"mnuHelpAbout"_s, u"&About "_s, QKeySequence(),
                        &frmMain::mnuHelpAbout_Click);
}

void frmMain::createToolBar()
{
    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(u"tbToolBar"_s);
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setFixedHeight(kToolBarHeight);
    addToolBar(Qt::TopToolBarArea, tbToolBar);

    // Each button carries its key; the toolbar dispatches on it.
    for (const QString &key : {u"Find"_s, u"Delete"_s}) {
        QAction *button = tbToolBar->addAction(QIcon(toolbarImage(key)), QString());
        button->setData(key);
        button->setToolTip(key);
        tbToolBar->widgetForAction(button)->setFixedSize(23, 22);
    }
    tbToolBar->addSeparator();
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::tbToolBar_ButtonClick);
}

void frmMain::createReportArea()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);

    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName(u"Text1"_s);
    Text1->setGeometry(0, px(480) - kToolBarHeight, px(4695), px(3375));
    Text1->setReadOnly(true);
    // Read-only for typing, but its text can be selected (by mouse or keys) and copied.
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The report's TABs were counted for the tab stops of a Windows text
    // field: every 32 dialog units, eight average letters of its font. With
    // those, one column holds every value.
    const QFontMetricsF metrics(Text1->font());
    const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s;
    Text1->setTabStopDistance(8 * metrics.horizontalAdvance(letters) / letters.size());
    Text1->installEventFilter(this);
}

void frmMain::createStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(u"sbStatusBar"_s);
    sbStatusBar->setSizeGripEnabled(false);
    sbStatusBar->setFixedHeight(kStatusBarHeight);

    const auto panel = [this](const QString &name) {
        auto *label = new QLabel(sbStatusBar);
        label->setObjectName(name);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    };
    sbStatusPanel = panel(u"sbStatusPanel"_s);
    sbStatusPanel->setText(u"Status"_s);
    sbDatePanel = panel(u"sbDatePanel"_s);
    sbTimePanel = panel(u"sbTimePanel"_s);

    // A second is the longest the panels lag behind the clock.
    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, &frmMain::showDateAndTime);
    clock_->start();
    showDateAndTime();
}

QMenu *frmMain::createPopupMenu()
{
    return nullptr;  // the toolbar stays: no menu to hide it
}

void frmMain::replaceReportText(const std::string &text)
{
    report_ = text;
    QString shown = QString::fromStdString(text);
    shown.replace(u"\r\n"_s, u"\n"_s);
    Text1->setPlainText(shown);
}

void frmMain::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    if (visible && !loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    services_.windows.unloaded(this);
    event->accept();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The menu's shortcuts win over any editing key Text1 might claim under
    // the platform's key scheme (in some schemes Ctrl+E is End in text fields).
    if (watched == Text1 && event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        for (const QAction *action : {mnuEnterUser, mnuClear, mnuFileExit})
            if (action->shortcut() == pressed)
                return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Load()
{
    show();
    QCoreApplication::processEvents();
    reportCommandLineAccount();
}

void frmMain::reportCommandLineAccount()
{
    if (!account_)
        return;
    const AccountArgument account = splitAccount(*account_, services_.locale);
    if (const QString error = userNameError(account.userName); !error.isEmpty()) {
        services_.messageBox.showError(this, error);
        return;
    }
    ShowAccountUsage(account.domain, account.userName);
}

void frmMain::Form_Unload()
{
    // Every other window goes first, the latest loaded first; the main window
    // itself, at index 0, is the unload under way.
    LoadedWindows &windows = services_.windows;
    for (qsizetype i = windows.count() - 1; i >= 1; --i) {
        try {
            if (QWidget *window = windows.at(i))
                window->close();
        } catch (...) {
        }
    }
}

void frmMain::tbToolBar_ButtonClick(QAction *button)
{
    try {
        const QString key = button ? button->data().toString() : QString();
        if (key == u"Find"_s)
            mnuEnterUser_Click();
        else if (key == u"Delete"_s)
            mnuClear_Click();
    } catch (...) {
    }
}

void frmMain::mnuEnterUser_Click()
{
    frmEnterUser *dialog = services_.windows.find<frmEnterUser>();
    if (!dialog)
        dialog = new frmEnterUser(services_);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void frmMain::mnuClear_Click() { replaceReportText({}); }

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::mnuHelpAbout_Click()
{
    frmAbout::showModal(this, services_.windows);
}

void frmMain::showDateAndTime()
{
    const QDateTime now = services_.now();
    const QString date = services_.locale.shortDate(now.date());
    const QString time = services_.locale.shortTime(now.time());
    if (sbDatePanel->text() == date && sbTimePanel->text() == time)
        return;
    sbDatePanel->setText(date);
    sbTimePanel->setText(time);
    arrangeStatusPanels();
}

// The panels are placed by hand: QStatusBar's own layout keeps a few pixels
// above and below its items, which leaves a panel too short for its text.
// Date and time are as wide as their texts (at least 1440 twips); the first
// panel takes what they leave.
void frmMain::arrangeStatusPanels()
{
    const int height = kStatusBarHeight - kPanelGap;
    int right = kClientWidth;
    for (QLabel *panel : {sbTimePanel, sbDatePanel}) {
        const int width = std::max(kMinimumPanelWidth, panel->sizeHint().width());
        right -= width;
        panel->setGeometry(right, kPanelGap, width, height);
        right -= kPanelGap;
    }
    sbStatusPanel->setGeometry(0, kPanelGap, std::max(kMinimumPanelWidth, right), height);
}

} // namespace tramsel
