// The main window: layout, menus, toolbar dispatch, shortcuts, the report
// area, the status bar clock, the command-line account and unloading.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <QtTest>

#include "enter_user/frmEnterUser.h"
#include "main/frmMain.h"
#include "report/account_usage.h"
#include "tests/main/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

namespace {

QString shown(const std::string &report)
{
    return QString::fromStdString(report).replace(u"\r\n"_s, u"\n"_s);
}

// Closes with a refusal, the way a window that cannot be unloaded would.
class StubbornWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

// Records the order in which windows receive their close events.
class CloseRecorder : public QObject {
public:
    QStringList closed;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            closed << watched->objectName();
        return false;
    }
};

} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutFollowsTheTwipsTable();
    void menus_data();
    void menus();
    void toolbarDispatch_data();
    void toolbarDispatch();
    void toolbarClickRunsItsCommandOnce();
    void shortcutsWorkFromText1_data();
    void shortcutsWorkFromText1();
    void enterUserNameShowsTheOneDialog();
    void reportKeepsCrLfAndShowsLines();
    void text1IsReadOnlyButCopies();
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
    QAction *toolbarButton(const QString &key) const;

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

QAction *tst_frmMain::toolbarButton(const QString &key) const
{
    for (QAction *action : child<QToolBar>("tbToolBar")->actions())
        if (action->data().toString() == key)
            return action;
    return nullptr;
}

void tst_frmMain::layoutFollowsTheTwipsTable()
{
    QCOMPARE(window->windowTitle(), u"Tramsel V. 2.0"_s);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

    // Client area below the menu bar: 4710 x 4140 twips.
    const int menuHeight = window->menuBar()->height();
    QCOMPARE(window->width(), 314);
    QCOMPARE(window->height() - menuHeight, 276);

    const auto clientRect = [&](QWidget *widget) {
        const QPoint topLeft = widget->mapTo(window, QPoint(0, 0)) - QPoint(0, menuHeight);
        return QRect(topLeft, widget->size());
    };
    QCOMPARE(clientRect(child<QToolBar>("tbToolBar")), QRect(0, 0, 314, 28));
    QCOMPARE(clientRect(child<QPlainTextEdit>("Text1")), QRect(0, 32, 313, 225));
    QCOMPARE(clientRect(child<QStatusBar>("sbStatusBar")), QRect(0, 258, 314, 18));
    QCOMPARE(QApplication::focusWidget(), child<QPlainTextEdit>("Text1"));

    const auto buttons = child<QToolBar>("tbToolBar")->actions();
    QCOMPARE(buttons.size(), 3);  // Find, Delete and a separator
    QVERIFY(buttons[2]->isSeparator());
    for (const QString &key : {u"Find"_s, u"Delete"_s}) {
        QAction *button = toolbarButton(key);
        QCOMPARE(button->toolTip(), key);
        QVERIFY(button->text().isEmpty() && !button->icon().isNull());
        QCOMPARE(child<QToolBar>("tbToolBar")->widgetForAction(button)->size(), QSize(23, 22));
    }

    const auto *status = child<QLabel>("sbStatusPanel");
    const auto *date = child<QLabel>("sbDatePanel");
    const auto *time = child<QLabel>("sbTimePanel");
    QCOMPARE(status->text(), u"Status"_s);
    QVERIFY(status->x() < date->x() && date->x() < time->x());
    for (const QLabel *panel : {status, date, time})
        QVERIFY2(panel->width() >= 96, qPrintable(panel->objectName()));
}

void tst_frmMain::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::newRow("enter") << u"mnuEnterUser"_s << u"mnuFile"_s << u"&Enter User name"_s
                           << QKeySequence(u"Ctrl+E"_s);
    QTest::newRow("clear") << u"mnuClear"_s << u"mnuFile"_s << u"C&lear"_s
                           << QKeySequence(u"Ctrl+L"_s);
    QTest::newRow("exit") << u"mnuFileExit"_s << u"mnuFile"_s << u"E&xit"_s
                          << QKeySequence(u"Ctrl+Q"_s);
    QTest::newRow("about") << u"mnuHelpAbout"_s << u"mnuHelp"_s << u"&About "_s << QKeySequence();
}

void tst_frmMain::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, menu);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);

    const auto *action = window->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
    QVERIFY(action->isEnabled() && action->isVisible() && !action->isCheckable());
    QVERIFY(window->findChild<QMenu *>(menu)->actions().contains(action));

    const auto titles = window->menuBar()->actions();
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles[0]->text(), u"&File"_s);
    QCOMPARE(titles[1]->text(), u"&Help"_s);
    QVERIFY(child<QAction>("mnuFileBar0")->isSeparator());
}

void tst_frmMain::toolbarDispatch_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("dialogShown");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("Find") << u"Find"_s << true << false;
    QTest::newRow("Delete") << u"Delete"_s << false << true;
    QTest::newRow("case differs") << u"find"_s << false << false;
    QTest::newRow("trailing space") << u"Delete "_s << false << false;
    QTest::newRow("no key") << QString() << false << false;
}

void tst_frmMain::toolbarDispatch()
{
    QFETCH(QString, key);
    QFETCH(bool, dialogShown);
    QFETCH(bool, cleared);

    window->replaceReportText("\r\nreport\r\n");
    QAction button(key);
    button.setData(key);
    QVERIFY(QMetaObject::invokeMethod(window, "tbToolBar_ButtonClick", Q_ARG(QAction *, &button)));
    QCOMPARE(program->windows.find<frmEnterUser>() != nullptr, dialogShown);
    QCOMPARE(window->reportText().empty(), cleared);

    // The separator, and no button at all, do nothing either.
    QAction *separator = child<QToolBar>("tbToolBar")->actions().last();
    QVERIFY(QMetaObject::invokeMethod(window, "tbToolBar_ButtonClick", Q_ARG(QAction *, separator)));
    QVERIFY(QMetaObject::invokeMethod(window, "tbToolBar_ButtonClick",
                                      Q_ARG(QAction *, nullptr)));
    QCOMPARE(program->windows.count(), dialogShown ? 2 : 1);
}

void tst_frmMain::toolbarClickRunsItsCommandOnce()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    auto *toolbar = child<QToolBar>("tbToolBar");
    window->replaceReportText("\r\nreport\r\n");
    QSignalSpy changes(text1, &QPlainTextEdit::textChanged);
    QSignalSpy dispatched(toolbar, &QToolBar::actionTriggered);
    QSignalSpy clearTriggered(child<QAction>("mnuClear"), &QAction::triggered);

    QTest::mouseClick(toolbar->widgetForAction(toolbarButton(u"Delete"_s)), Qt::LeftButton);
    QCOMPARE(dispatched.size(), 1);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(clearTriggered.size(), 0);  // the button does not also go through the menu item
    QVERIFY(text1->toPlainText().isEmpty());

    QTest::mouseClick(toolbar->widgetForAction(toolbarButton(u"Find"_s)), Qt::LeftButton);
    QCOMPARE(dispatched.size(), 2);
    QCOMPARE(program->windows.count(), 2);
    QVERIFY(program->windows.find<frmEnterUser>()->isVisible());
}

void tst_frmMain::shortcutsWorkFromText1_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("command");

    QTest::newRow("Ctrl+E") << QKeySequence(u"Ctrl+E"_s) << u"enter"_s;
    QTest::newRow("Ctrl+L") << QKeySequence(u"Ctrl+L"_s) << u"clear"_s;
    QTest::newRow("Ctrl+Q") << QKeySequence(u"Ctrl+Q"_s) << u"exit"_s;
}

void tst_frmMain::shortcutsWorkFromText1()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, command);

    auto *text1 = child<QPlainTextEdit>("Text1");
    window->replaceReportText("\r\nreport\r\n");
    QCOMPARE(QApplication::focusWidget(), text1);
    QTest::keySequence(text1, keys);

    if (command == u"enter"_s) {
        QVERIFY(program->windows.find<frmEnterUser>());
        QVERIFY(program->windows.find<frmEnterUser>()->isVisible());
    } else if (command == u"clear"_s) {
        QVERIFY(text1->toPlainText().isEmpty());
    } else {
        QTRY_VERIFY(window.isNull());
        QCOMPARE(program->windows.count(), 0);
    }
}

void tst_frmMain::enterUserNameShowsTheOneDialog()
{
    invoke("mnuEnterUser_Click");
    const QPointer<frmEnterUser> dialog = program->windows.find<frmEnterUser>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));

    QApplication::setActiveWindow(window);
    invoke("mnuEnterUser_Click");
    QCOMPARE(program->windows.count(), 2);
    QCOMPARE(program->windows.find<frmEnterUser>(), dialog.data());
    QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
}

void tst_frmMain::reportKeepsCrLfAndShowsLines()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    const std::string report = failureText("SALES\\nobody");
    window->replaceReportText(report);
    QCOMPARE(window->reportText(), report);
    QCOMPARE(text1->toPlainText(), shown(report));
    QCOMPARE(text1->blockCount(), 8);  // seven lines, and the empty one after the last CR LF
    QCOMPARE(text1->document()->findBlockByNumber(2).text(),
             u"or ADSI is not installed on your computer."_s);

    // A second report replaces the first; Clear on an empty area leaves it empty.
    window->replaceReportText(failureText("jdoe"));
    QVERIFY(!text1->toPlainText().contains(u"nobody"_s));
    invoke("mnuClear_Click");
    invoke("mnuClear_Click");
    QVERIFY(text1->toPlainText().isEmpty());
    QVERIFY(window->reportText().empty());
}

void tst_frmMain::text1IsReadOnlyButCopies()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    window->replaceReportText("\r\nLast Login: \t\tn/a\r\n");
    QTest::keyClicks(text1, u"typed"_s);
    QTest::keyClick(text1, Qt::Key_Backspace);
    QTest::keyClick(text1, Qt::Key_Delete);
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(text1->toPlainText(), u"\nLast Login: \t\tn/a\n"_s);

    QTest::keySequence(text1, QKeySequence::SelectAll);
    QTest::keySequence(text1, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), u"\nLast Login: \t\tn/a\n"_s);
    QVERIFY(text1->lineWrapMode() == QPlainTextEdit::NoWrap);
    QCOMPARE(text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void tst_frmMain::reportValuesShareOneColumn()
{
    auto *text1 = child<QPlainTextEdit>("Text1");
    window->replaceReportText(usageReport("SALES\\jdoe", UsageValues{}));
    QSet<int> columns;
    for (QTextBlock line = text1->document()->begin(); line.isValid(); line = line.next()) {
        const qsizetype lastTab = line.text().lastIndexOf(u'\t');
        if (lastTab < 0)
            continue;
        QTextCursor cursor(line);
        cursor.setPosition(line.position() + int(lastTab) + 1);
        columns << text1->cursorRect(cursor).x();
    }
    QCOMPARE(columns.size(), 1);
}

void tst_frmMain::statusBarFollowsTheClock()
{
    const auto *date = child<QLabel>("sbDatePanel");
    const auto *time = child<QLabel>("sbTimePanel");
    QCOMPARE(date->text(), u"6/18/2003"_s);
    QCOMPARE(time->text(), u"11:25 PM"_s);

    program->clock = QDateTime(QDate(2004, 1, 1), QTime(0, 0, 1));
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), u"12:00 AM"_s, 3000);
    QCOMPARE(date->text(), u"1/1/2004"_s);
    QCOMPARE(child<QLabel>("sbStatusPanel")->text(), u"Status"_s);
}

void tst_frmMain::commandLineAccount_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("path");     // bound; empty when nothing is
    QTest::addColumn<QString>("display");  // in the failure text
    QTest::addColumn<QString>("message");  // the dialog's refusal

    QTest::newRow("domain and user") << u"sales\\nobody"_s << u"WinNT://SALES/nobody,user"_s
                                     << u"SALES\\nobody"_s << QString();
    QTest::newRow("no backslash") << u"jdoe"_s << u"WinNT://jdoe,user"_s << u"jdoe"_s << QString();
    QTest::newRow("domain with space") << u"my pc\\jdoe"_s << u"WinNT://MY PC/jdoe,user"_s
                                       << u"MY PC\\jdoe"_s << QString();
    QTest::newRow("empty user") << u"sales\\"_s << QString() << QString()
                                << u"User Name cannot be blank"_s;
    QTest::newRow("empty argument") << QString(u""_s) << QString() << QString()
                                    << u"User Name cannot be blank"_s;
    QTest::newRow("second backslash") << u"sales\\x\\y"_s << QString() << QString()
                                      << u"Wrong User Name"_s;
    QTest::newRow("space in user") << u"sales\\j doe"_s << QString() << QString()
                                   << u"Wrong User Name"_s;
}

void tst_frmMain::commandLineAccount()
{
    QFETCH(QString, argument);
    QFETCH(QString, path);
    QFETCH(QString, display);
    QFETCH(QString, message);

    // A program of its own, started with the account on its command line.
    cleanup();
    program = std::make_unique<TestProgram>();
    bool drawnFirst = false;
    program->messageBox.onShow = [&] { drawnFirst = mainWindow() && mainWindow()->isVisible(); };
    window = startUp(program->services, argument);

    if (message.isEmpty()) {
        QCOMPARE(program->provider.boundPaths, std::vector<std::string>{path.toStdString()});
        QCOMPARE(window->reportText(), failureText(display.toStdString()));
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
        QTest::keyClicks(enterUser->findChild<QLineEdit *>(u"txtDomain"_s), u"sales"_s);
        QTest::keyClicks(enterUser->findChild<QLineEdit *>(u"txtUserName"_s), u"jdoe"_s);
        QTest::keyClick(enterUser, Qt::Key_Return);
        QVERIFY(enterUser->isHidden());
        QCOMPARE(program->windows.count(), 2);
    }

    // The program's event loop ends by itself once the last window is unloaded.
    QTimer::singleShot(0, window, [this] { invoke("mnuFileExit_Click"); });
    QTimer watchdog;
    watchdog.callOnTimeout([] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(program->windows.count(), 0);
    QTRY_VERIFY(window.isNull());
    QVERIFY(enterUser.isNull());
    QCOMPARE(mainWindow(), nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_frmMain::unloadGoesFromLastLoadedToFirst()
{
    invoke("mnuEnterUser_Click");
    auto *stubborn = new StubbornWindow;  // loaded second-last, and refuses to go
    stubborn->setObjectName(u"stubborn"_s);
    program->windows.load(stubborn);
    auto *last = new QWidget;
    last->setObjectName(u"last"_s);
    last->setAttribute(Qt::WA_DeleteOnClose);
    program->windows.load(last);

    CloseRecorder recorder;
    const QList<QWidget *> loaded{window.data(), stubborn, last,
                                  program->windows.find<frmEnterUser>()};
    for (QWidget *w : loaded)
        w->installEventFilter(&recorder);

    invoke("mnuFileExit_Click");
    QCOMPARE(recorder.closed,
             (QStringList{u"frmMain"_s, u"last"_s, u"stubborn"_s, u"frmEnterUser"_s}));
    QTRY_VERIFY(window.isNull());
    QCOMPARE(program->windows.count(), 1);  // only the window that refused is left
    QCOMPARE(program->windows.at(0), stubborn);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
