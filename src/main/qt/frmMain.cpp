// frmMain drawn with Qt.
#include "main/qt/frmMain.h"

#include <algorithm>
#include <variant>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QSysInfo>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <QToolBar>

#include "about/qt/frmAbout.h"
#include "audit/qt/frmAudit.h"
#include "enter_user/qt/frmEnterUser.h"
#include "cli/command_line.h"
#include "main/qt/toolbar_images.h"
#include "ui/qt/artwork.h"
#include "ui/qt/classic_font.h"
#include "ui/qt/first_show.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/message_box.h"
#include "platform/qt/qt_locale.h"
#include "ui/qt/twips.h"
#include "ui/qt/waiting_work.h"
#include "report/account_usage.h"

using namespace Qt::StringLiterals;

namespace tramsel {

using namespace main_window;

namespace {

constexpr int kPanelGap = 2;  // pixels between two status panels

CivilDateTime civil(const QDateTime &t)
{
    return {t.date().year(), t.date().month(), t.date().day(),
            t.time().hour(), t.time().minute(), t.time().second()};
}

// The report area as the reading thread sees it: each text is written on
// the window's own thread, which the reading thread waits for, so that the
// report is there before the account is released.
class ReportAreaFromThread final : public ReportView {
public:
    explicit ReportAreaFromThread(frmMain &window) : window_(window) {}

    void replaceReportText(const std::string &text) override
    {
        QMetaObject::invokeMethod(&window_, [this, &text] { window_.replaceReportText(text); },
                                  Qt::BlockingQueuedConnection);
    }

private:
    frmMain &window_;
};

} // namespace

frmMain::frmMain(const Services &services, const std::optional<std::string> &account)
    : services_(services), account_(account)
{
    setObjectName(u"frmMain"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(applicationIcon());
    // A fixed single border with a control box but no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);

    createMenus();
    createToolBar();
    createReportArea();
    createStatusBar();

    setFixedSize(pixels(kClientWidth), menuBar()->sizeHint().height() + pixels(kClientHeight));
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    services_.windows.load(this);
    Text1->setFocus();
    runAfterFirstShow(this, [this] { Form_Load(); });
}

frmMain::~frmMain() { services_.windows.unloaded(this); }

void frmMain::createMenus()
{
    for (const Menu &menu : kMenus) {
        QMenu *m = menuBar()->addMenu(QString::fromUtf8(menu.text));
        m->setObjectName(QString::fromUtf8(menu.name));
        for (std::size_t i = 0; i < menu.count; ++i) {
            const MenuItem &item = menu.items[i];
            QAction *action = *item.text ? m->addAction(QString::fromUtf8(item.text)) : m->addSeparator();
            action->setObjectName(QString::fromUtf8(item.name));
            if (item.shortcut) {
                action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(item.shortcut)));
                action->setShortcutContext(Qt::WindowShortcut);
                shortcutItems_ << action;
            }
            if (item.command != Command::None)
                connect(action, &QAction::triggered, this, [this, command = item.command] { run(command); });
        }
    }
}

void frmMain::run(Command command)
{
    switch (command) {
    case Command::EnterUser: mnuEnterUser_Click(); break;
    case Command::Audit: mnuAudit_Click(); break;
    case Command::Clear: mnuClear_Click(); break;
    case Command::Exit: mnuFileExit_Click(); break;
    case Command::About: mnuHelpAbout_Click(); break;
    case Command::None: break;
    }
}

void frmMain::createToolBar()
{
    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(u"tbToolBar"_s);
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setFixedHeight(pixels(kToolBar.height));
    addToolBar(Qt::TopToolBarArea, tbToolBar);

    // Each button carries its key; the toolbar dispatches on it.
    for (const char *name : kToolButtons) {
        const QString key = QString::fromUtf8(name);
        QAction *button = tbToolBar->addAction(QIcon(toolbarImage(key)), QString());
        button->setData(key);
        button->setToolTip(key);
        tbToolBar->widgetForAction(button)->setFixedSize(kToolButtonWidth, kToolButtonHeight);
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
    // The client widget starts below the toolbar.
    Text1->setGeometry(pixels(kText1).translated(0, -pixels(kToolBar.height)));
    Text1->setReadOnly(true);
    // Read-only for typing, but its text can be selected (by mouse or keys) and copied.
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fitReportFont();
    Text1->installEventFilter(this);
}

void frmMain::fitReportFont()
{
    // The widest lines a report has: every date and time as long as the
    // locale writes them, the longest IPv4 address.
    AccountUsage usage;
    const DateTime late = *DateTime::fromCivil({2026, 12, 28, 22, 58, 58});
    usage.lastLogin = usage.lastLogoff = usage.lastFailedLogin = usage.passwordExpires = late;
    usage.passwordLastChanged = late;
    usage.lastBadLoginAddress = std::string("255.255.255.255");
    const QStringList lines =
        QString::fromStdString(usageReport({}, usage, services_.locale, "\n")).split(u'\n');
    const QTextDocument *document = Text1->document();
    const qreal room = Text1->width() - 2 * Text1->frameWidth() - Text1->verticalScrollBar()->sizeHint().width()
                       - 2 * document->documentMargin() - Text1->cursorWidth();

    // The face the layout was drawn for, at its size, or smaller where this
    // system's relative of it is wider. The report's TABs were counted for
    // the tab stops of a Windows text field: every 32 dialog units, eight
    // average letters of its font. With those, one column holds every value.
    for (double points = 8.25;; points -= 0.25) {
        Text1->setFont(classicFont(points));
        const QFontMetricsF metrics(Text1->font());
        const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s;
        Text1->setTabStopDistance(8 * metrics.horizontalAdvance(letters) / letters.size());
        QTextOption tabs;
        tabs.setTabStopDistance(Text1->tabStopDistance());
        qreal widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line, tabs));
        if (widest <= room || points <= 6)
            return;
    }
}

void frmMain::createStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(u"sbStatusBar"_s);
    sbStatusBar->setSizeGripEnabled(false);
    sbStatusBar->setFixedHeight(pixels(kStatusBar.height));

    const auto panel = [this](const QString &name) {
        auto *label = new QLabel(sbStatusBar);
        label->setObjectName(name);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    };
    sbStatusPanel = panel(u"sbStatusPanel"_s);
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

void frmMain::showAccountUsage(const std::string &domain, const std::string &userName)
{
    // The reading thread has a locale of its own; the clock uses this one.
    const QtLocale locale = services_.locale;
    ReportAreaFromThread area(*this);
    ReportOutcome outcome;
    reading_ = true;
    runWhileWaiting([&] {
        outcome = tramsel::ShowAccountUsage(domain, userName, {services_.source, locale, area});
    });
    reading_ = false;

    const std::string warnings = reportWarnings(outcome);
    if (!warnings.empty())
        services_.errorOutput(warnings);
    sbStatusPanel->setToolTip(QString::fromStdString(warnings).trimmed());
    if (closeWhenRead_)
        close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Not while a report is read, which refers to the window: once it is there.
    if (reading_) {
        closeWhenRead_ = true;
        event->ignore();
        return;
    }
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
        for (const QAction *action : shortcutItems_)
            if (action->shortcut() == pressed)
                return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Load()
{
    show();
    // Drawn at once: a report named on the command line may take a while,
    // or ask the user something, and the window is there first.
    QCoreApplication::processEvents();
    reportCommandLineAccount();
}

void frmMain::reportCommandLineAccount()
{
    if (!account_)
        return;
    const AccountArgument account = splitAccount(*account_, services_.locale);
    if (account.error) {
        services_.messageBox.showError(this, QString::fromStdString(*account.error));
        return;
    }
    ShowAccountUsage(QString::fromStdString(account.domain), QString::fromStdString(account.userName));
}

void frmMain::Form_Unload()
{
    LoadedWindows &windows = services_.windows;
    unloadOtherWindows(static_cast<std::size_t>(windows.count()), [&windows](std::size_t i) {
        if (QWidget *window = windows.at(static_cast<qsizetype>(i)))
            window->close();
    });
}

void frmMain::tbToolBar_ButtonClick(QAction *button)
{
    try {
        if (button)
            run(toolbarCommand(button->data().toString().toStdString()));
    } catch (...) {
    }
}

void frmMain::mnuEnterUser_Click()
{
    frmEnterUser *dialog = services_.windows.find<frmEnterUser>();
    if (!dialog)
        dialog = new frmEnterUser(services_.messageBox, services_.windows,
                                  [this](const QString &domain, const QString &userName) {
                                      lastDomain_ = domain;
                                      ShowAccountUsage(domain, userName);
                                  });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void frmMain::mnuAudit_Click()
{
    frmAudit *audit = services_.windows.find<frmAudit>();
    if (!audit) {
        // A tree named with --root is listed as the command line lists it:
        // without a machine name, which would have to be the tree's own.
        QString domain = lastDomain_;
        if (domain.isEmpty() && services_.options.root.empty())
            domain = QSysInfo::machineHostName().section(u'.', 0, 0).toUpper();
        audit = new frmAudit({services_.makeSource, services_.options, services_.locale, services_.messageBox,
                              services_.windows, domain,
                              [](const QString &domain, const QString &userName) {
                                  if (frmMain *window = mainWindow()) {
                                      window->raise();
                                      window->activateWindow();
                                  }
                                  ShowAccountUsage(domain, userName);
                              },
                              services_.now});
    }
    audit->show();
    audit->raise();
    audit->activateWindow();
}

void frmMain::mnuClear_Click() { replaceReportText({}); }

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::mnuHelpAbout_Click() { frmAbout::showModal(this, services_.windows); }

void frmMain::showDateAndTime()
{
    const StatusTexts texts = statusTexts(services_.locale, civil(services_.now()));
    const QString date = QString::fromStdString(texts.date);
    const QString time = QString::fromStdString(texts.time);
    if (sbStatusPanel->text().isEmpty())
        sbStatusPanel->setText(QString::fromStdString(texts.status));
    if (sbDatePanel->text() == date && sbTimePanel->text() == time)
        return;
    sbDatePanel->setText(date);
    sbTimePanel->setText(time);

    // The panels are placed by hand: QStatusBar's own layout keeps a few
    // pixels above and below its items, which leaves a panel too short for its text.
    const int height = pixels(kStatusBar.height) - kPanelGap;
    const PanelWidths widths =
        panelWidths(pixels(kStatusBar.width), sbDatePanel->sizeHint().width(),
                    sbTimePanel->sizeHint().width(), pixels(kMinimumPanelWidth), kPanelGap);
    sbStatusPanel->setGeometry(0, kPanelGap, widths.status, height);
    sbDatePanel->setGeometry(widths.status + kPanelGap, kPanelGap, widths.date, height);
    sbTimePanel->setGeometry(widths.status + widths.date + 2 * kPanelGap, kPanelGap, widths.time, height);
}

} // namespace tramsel
