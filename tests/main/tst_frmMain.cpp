// The main window: layout, menus, toolbar dispatch, shortcuts, the report
// area, the status bar clock, the command-line account and unloading.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <QtTest>

#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "report/account_usage.h"
#include "tests/main/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

namespace {

// Records the order in which windows get their close events, and keeps the
// one named "stubborn" open, as a window that cannot be unloaded would.
class CloseRecorder : public QObject {
public:
    QStringList closed;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        closed << watched->objectName();
        if (watched->objectName() != u"stubborn"_s)
            return false;
        event->ignore();
        return true;
    }
};

} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAndMenus();
    void commands_data();
    void commands();
    void enterUserNameShowsTheOneDialog();
    void reportKeepsCrLfInAReadOnlyArea();
    void reportValuesShareOneColumn();
    void statusBarFollowsTheClock();
    void commandLineAccount_data();
    void commandLineAccount();
    void exitUnloadsEveryWindow_data();
    void exitUnloadsEveryWindow();
    void unloadGoesFromLastLoadedToFirst();

private:
    template <class T> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(window, slot)); }
    void clickToolbar(QAction *button)
    {
        QVERIFY(QMetaObject::invokeMethod(window, "tbToolBar_ButtonClick", Q_ARG(QAction *, button)));
    }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;
};

void tst_frmMain::init()
{
    program = std::make_unique<TestProgram>();
    window = startUp(program->services);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_frmMain::cleanup() { program.reset(); }

void tst_frmMain::layoutAndMenus()
{
    QCOMPARE(window->windowTitle(), u"Tramsel V. 2.0"_s);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(QApplication::focusWidget(), child<QPlainTextEdit>("Text1"));

    // Client area below the menu bar, twips / 15: 4710 x 4140 in all.
    const int menuHeight = window->menuBar()->height();
    QCOMPARE(window->size(), QSize(314, menuHeight + 276));
    const QList<std::pair<const char *, QRect>> controls{{"tbToolBar", {0, 0, 314, 28}},
                                                         {"Text1", {0, 32, 313, 225}},
                                                         {"sbStatusBar", {0, 258, 314, 18}}};
    for (const auto &[name, rect] : controls) {
        QWidget *control = child<QWidget>(name);
        QCOMPARE(QRect(control->mapTo(window, QPoint(0, -menuHeight)), control->size()), rect);
    }

    auto *toolbar = child<QToolBar>("tbToolBar");
    QStringList tips;
    for (QAction *button : toolbar->actions()) {
        tips << button->toolTip();
        if (!button->isSeparator()) {
            QVERIFY(button->text().isEmpty() && !button->icon().isNull());
            QCOMPARE(toolbar->widgetForAction(button)->size(), QSize(23, 22));
        }
    }
    QCOMPARE(tips, (QStringList{u"Find"_s, u"Delete"_s, QString()}));

    // Menu titles, then each menu's items, with their exact texts.
    QStringList menus;
    for (QAction *title : window->menuBar()->actions()) {
        menus << title->text();
        for (QAction *item : title->menu()->actions())
            menus << u"  "_s + item->objectName() + u' ' + item->text();
    }
    QCOMPARE(menus, (QStringList{u"&File"_s, u"  mnuEnterUser &Enter User name"_s,
                                 u"  mnuClear C&lear"_s, u"  mnuFileBar0 "_s,
                                 u"  mnuFileExit E&xit"_s, u"&Help"_s,
                                 u"  mnuHelpAbout &About "_s}));
}

// A shortcut typed in Text1, a click on a toolbar button, or a key no button
// has as the toolbar would hand it over; and what each does, once.
void tst_frmMain::commands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Ctrl+E") << QKeySequence(u"Ctrl+E"_s) << QString() << u"dialog"_s;
    QTest::newRow("Ctrl+L") << QKeySequence(u"Ctrl+L"_s) << QString() << u"cleared"_s;
    QTest::newRow("Ctrl+Q") << QKeySequence(u"Ctrl+Q"_s) << QString() << u"exit"_s;
    QTest::newRow("Find") << QKeySequence() << u"Find"_s << u"dialog"_s;
    QTest::newRow("Delete") << QKeySequence() << u"Delete"_s << u"cleared"_s;
    QTest::newRow("case differs") << QKeySequence() << u"find"_s << u"nothing"_s;
    QTest::newRow("trailing space") << QKeySequence() << u"Delete "_s << u"nothing"_s;
    QTest::newRow("no key") << QKeySequence() << QString() << u"nothing"_s;
}

void tst_frmMain::commands()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, button);
    QFETCH(QString, effect);

    auto *toolbar = child<QToolBar>("tbToolBar");
    window->replaceReportText("\r\nreport\r\n");
    QSignalSpy changes(child<QPlainTextEdit>("Text1"), &QPlainTextEdit::textChanged);
    QSignalSpy clearTriggered(child<QAction>("mnuClear"), &QAction::triggered);
    const auto buttons = toolbar->actions();
    const auto real = std::ranges::find_if(
        buttons, [&](QAction *a) { return !button.isEmpty() && a->data().toString() == button; });

    if (!keys.isEmpty()) {
        QTest::keySequence(child<QPlainTextEdit>("Text1"), keys);
    } else if (real != buttons.end()) {
        QTest::mouseClick(toolbar->widgetForAction(*real), Qt::LeftButton);
        QCOMPARE(clearTriggered.size(), 0);  // not also through the menu item
    } else {
        QAction action(button);
        action.setData(button);
        clickToolbar(&action);
        // The separator, and no button at all, do nothing either.
        clickToolbar(buttons.last());
        clickToolbar(nullptr);
    }
    if (effect == u"exit"_s) {
        QTRY_VERIFY(window.isNull());
        QCOMPARE(program->windows.count(), 0);
        return;
    }
    const frmEnterUser *dialog = program->windows.find<frmEnterUser>();
    QCOMPARE(dialog && dialog->isVisible(), effect == u"dialog"_s);
    QCOMPARE(program->windows.count(), effect == u"dialog"_s ? 2 : 1);
    QCOMPARE(window->reportText().empty(), effect == u"cleared"_s);
    QCOMPARE(changes.size(), effect == u"cleared"_s ? 1 : 0);
}

void tst_frmMain::enterUserNameShowsTheOneDialog()
{
    invoke("mnuEnterUser_Click");
    const QPointer<frmEnterUser> dialog = program->windows.find<frmEnterUser>();
    QVERIFY(QTest::qWaitForWindowActive(dialog));

    QApplication::setActiveWindow(window);
    invoke("mnuEnterUser_Click");
    QCOMPARE(program->windows.count(), 2);
    QCOMPARE(program->windows.find<frmEnterUser>(), dialog.data());
    QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
}

void tst_frmMain::reportKeepsCrLfInAReadOnlyArea()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    window->replaceReportText(failureText("jdoe"));
    const std::string report = failureText("SALES\\nobody");
    window->replaceReportText(report);  // replaces the first
    QCOMPARE(window->reportText(), report);
    const QString shown = QString::fromStdString(report).replace(u"\r\n"_s, u"\n"_s);
    QCOMPARE(text1->toPlainText(), shown);
    QCOMPARE(text1->blockCount(), 8);  // seven lines, and the empty one after the last CR LF

    QTest::keyClicks(text1, u"typed"_s);
    QTest::keyClick(text1, Qt::Key_Backspace);
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(text1->toPlainText(), shown);
}

void tst_frmMain::reportValuesShareOneColumn()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    window->replaceReportText(usageReport("SALES\\jdoe", UsageValues{}));
    QSet<int> columns;
    for (QTextBlock line = text1->document()->begin(); line.isValid(); line = line.next()) {
        if (const qsizetype lastTab = line.text().lastIndexOf(u'\t'); lastTab >= 0) {
            QTextCursor cursor(line);
            cursor.setPosition(line.position() + int(lastTab) + 1);
            columns << text1->cursorRect(cursor).x();
        }
    }
    QCOMPARE(columns.size(), 1);
}

void tst_frmMain::statusBarFollowsTheClock()
{
    // The panels from left to right, each wide enough for its text.
    QList<QLabel *> panels = child<QStatusBar>("sbStatusBar")->findChildren<QLabel *>();
    std::ranges::sort(panels, {}, &QWidget::x);
    const auto texts = [&] {
        QStringList result;
        for (const QLabel *panel : panels)
            result << panel->objectName() + u'=' + panel->text();
        return result.join(u' ');
    };
    QCOMPARE(texts(), u"sbStatusPanel=Status sbDatePanel=6/18/2003 sbTimePanel=11:25 PM"_s);
    QVERIFY(std::ranges::all_of(panels, [](const QLabel *panel) { return panel->width() >= 96; }));

    program->clock = QDateTime(QDate(2004, 1, 1), QTime(0, 0, 1));
    QTRY_COMPARE_WITH_TIMEOUT(texts(), u"sbStatusPanel=Status sbDatePanel=1/1/2004 sbTimePanel=12:00 AM"_s, 3000);
}

// How the account is split and checked is shared with --print, which
// command_line_test.sh covers case by case; here, what the window does.
void tst_frmMain::commandLineAccount_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("path");     // bound; empty when nothing is
    QTest::addColumn<QString>("message");  // the refusal

    QTest::newRow("domain and user") << u"sales\\nobody"_s << u"WinNT://SALES/nobody,user"_s
                                     << QString();
    QTest::newRow("empty user") << u"sales\\"_s << QString() << u"User Name cannot be blank"_s;
}

void tst_frmMain::commandLineAccount()
{
    QFETCH(QString, argument);
    QFETCH(QString, path);
    QFETCH(QString, message);

    // A program of its own, started with the account on its command line.
    cleanup();
    program = std::make_unique<TestProgram>();
    bool drawnFirst = false;
    program->messageBox.onShow = [&] { drawnFirst = mainWindow() && mainWindow()->isVisible(); };
    window = startUp(program->services, argument.toStdString());
    QTRY_VERIFY(!program->provider.boundPaths.empty() || !program->messageBox.texts.isEmpty());

    if (message.isEmpty()) {
        QCOMPARE(program->provider.boundPaths, std::vector<std::string>{path.toStdString()});
        QCOMPARE(window->reportText(), failureText("SALES\\nobody"));
        QVERIFY(program->messageBox.texts.isEmpty());
    } else {
        QVERIFY(program->provider.boundPaths.empty());
        QCOMPARE(program->messageBox.texts, QStringList{message});
        QVERIFY(drawnFirst);
        QVERIFY(window->reportText().empty());
    }
}

void tst_frmMain::exitUnloadsEveryWindow_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("no dialog") << u"none"_s;
    QTest::newRow("dialog visible") << u"visible"_s;
    QTest::newRow("dialog hidden after a good entry") << u"hidden"_s;
}

void tst_frmMain::exitUnloadsEveryWindow()
{
    QFETCH(QString, dialog);

    QPointer<frmEnterUser> enterUser;
    if (dialog != u"none"_s) {
        invoke("mnuEnterUser_Click");
        enterUser = program->windows.find<frmEnterUser>();
        QVERIFY(QTest::qWaitForWindowActive(enterUser));
    }
    if (dialog == u"hidden"_s) {
        enterUser->findChild<QLineEdit *>(u"txtDomain"_s)->setText(u"sales"_s);
        enterUser->findChild<QLineEdit *>(u"txtUserName"_s)->setText(u"jdoe"_s);
        QTest::keyClick(enterUser, Qt::Key_Return);
        QVERIFY(enterUser->isHidden());
    }

    // The program's event loop ends by itself once the last window is unloaded.
    QTimer::singleShot(0, window, [this] { invoke("mnuFileExit_Click"); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(program->windows.count(), 0);
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmMain::unloadGoesFromLastLoadedToFirst()
{
    invoke("mnuEnterUser_Click");
    for (const QString &name : {u"stubborn"_s, u"last"_s}) {
        auto *loaded = new QWidget;
        loaded->setObjectName(name);
        loaded->setAttribute(Qt::WA_DeleteOnClose);
        program->windows.load(loaded);
    }
    CloseRecorder recorder;
    for (int i = 0; i < program->windows.count(); ++i)
        program->windows.at(i)->installEventFilter(&recorder);

    invoke("mnuFileExit_Click");
    QCOMPARE(recorder.closed,
             (QStringList{u"frmMain"_s, u"last"_s, u"stubborn"_s, u"frmEnterUser"_s}));
    QTRY_VERIFY(window.isNull());
    QCOMPARE(program->windows.count(), 1);  // only the window that refused is left
    QCOMPARE(program->windows.at(0)->objectName(), u"stubborn"_s);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
