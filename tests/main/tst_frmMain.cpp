// The Qt main window: that it draws the shared menus and toolbar, routes keys,
// clicks and menu items to their commands once, shows the report as given and
// reports the command-line account once it is drawn. (Unload order:
// main_window_test.)
#include <QtTest>
#include <QtWidgets>

#include <chrono>
#include <optional>
#include <semaphore>

#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "report/account_usage.h"
#include "support/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

class tst_frmMain : public QObject {
    Q_OBJECT

    template <class T> T *child(const char *name) const { return window->findChild<T *>(QString::fromLatin1(name)); }
    void startWith(const std::string &account, std::function<void()> onMessage = {})
    {
        program = std::make_unique<TestProgram>();
        program->messageBox.onShow = std::move(onMessage);
        window = startUp(program->services, account);
        QTRY_VERIFY(!program->source.asked.empty() || !program->messageBox.texts.isEmpty());
    }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;

private slots:
    void init()
    {
        program = std::make_unique<TestProgram>();
        window = startUp(program->services);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void cleanup() { program.reset(); }

    void drawsTheSharedMenusAndToolbar()
    {
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(QApplication::focusWidget(), child<QPlainTextEdit>("Text1"));
        QStringList drawn;  // the menus, then the toolbar's buttons and the separator after them
        for (QAction *title : window->menuBar()->actions()) {
            drawn << title->text();
            for (QAction *item : title->menu()->actions())
                drawn << u"  "_s + item->objectName() + u' ' + item->text() + u' ' + item->shortcut().toString();
        }
        auto *toolbar = child<QToolBar>("tbToolBar");
        QVERIFY(!toolbar->isMovable());
        for (QAction *button : toolbar->actions()) {
            const QSize size = toolbar->widgetForAction(button)->size();
            drawn << (button->isSeparator() ? u"|"_s : u"%1 %2x%3"_s.arg(button->toolTip()).arg(size.width()).arg(size.height()));
            QCOMPARE(button->icon().isNull(), button->isSeparator());
        }
        QCOMPARE(drawn, (QStringList{u"&File"_s, u"  mnuEnterUser &Enter User name Ctrl+E"_s,
                                     u"  mnuAudit &Audit Accounts... Ctrl+U"_s, u"  mnuClear C&lear Ctrl+L"_s,
                                     u"  mnuFileBar0  "_s, u"  mnuFileExit E&xit Ctrl+Q"_s, u"&Help"_s,
                                     u"  mnuHelpAbout &About  "_s, u"Find 23x22"_s, u"Delete 23x22"_s, u"|"_s}));
    }

    // Each way a user runs a command (keys typed in Text1, a toolbar button or
    // a menu item), and what it does, once.
    void commands_data()
    {
        QTest::addColumn<QString>("effect");
        for (const auto &[how, effect] : {std::pair(u"Ctrl+E"_s, u"dialog"_s), {u"Ctrl+L"_s, u"cleared"_s},
                                          {u"Ctrl+Q"_s, u"exit"_s}, {u"button Find"_s, u"dialog"_s},
                                          {u"button Delete"_s, u"cleared"_s}, {u"menu mnuEnterUser"_s, u"dialog"_s},
                                          {u"menu mnuClear"_s, u"cleared"_s}, {u"menu mnuFileExit"_s, u"exit"_s}})
            QTest::newRow(qPrintable(how)) << effect;
    }
    void commands()
    {
        QFETCH(QString, effect);
        const QString how = QString::fromLatin1(QTest::currentDataTag()), name = how.section(u' ', 1);
        window->replaceReportText("\r\nreport\r\n");
        QSignalSpy changes(child<QPlainTextEdit>("Text1"), &QPlainTextEdit::textChanged);
        QSignalSpy clearItem(child<QAction>("mnuClear"), &QAction::triggered);
        if (how.startsWith(u"menu "_s)) {
            child<QAction>(name.toLatin1())->trigger();
        } else if (how.startsWith(u"button "_s)) {
            auto *toolbar = child<QToolBar>("tbToolBar");
            const auto buttons = toolbar->actions();
            const auto button = std::ranges::find_if(buttons, [&](QAction *a) { return a->data() == name; });
            QVERIFY(button != buttons.end());
            QTest::mouseClick(toolbar->widgetForAction(*button), Qt::LeftButton);
            QCOMPARE(clearItem.size(), 0);  // not also through the menu item
        } else {
            QTest::keySequence(child<QPlainTextEdit>("Text1"), QKeySequence(how));
        }
        if (effect == u"exit"_s) {
            QTRY_VERIFY(window.isNull());
            QCOMPARE(program->windows.count(), 0);
            return;
        }
        const frmEnterUser *dialog = program->windows.find<frmEnterUser>();
        const QString seen = u"dialog %1, windows %2, text %3, changes %4"_s.arg(dialog && dialog->isVisible())
            .arg(program->windows.count()).arg(window->reportText().size()).arg(changes.size());
        QCOMPARE(seen, effect == u"dialog"_s ? u"dialog 1, windows 2, text 10, changes 0"_s : u"dialog 0, windows 1, text 0, changes 1"_s);
    }

    // A full report (every value known, every date and time as long as en_US
    // writes them) replaces the text before it: its CR LF shown as line ends,
    // no wider than Text1, and read-only.
    void fullReportShowsReadOnlyWithoutScrollingSideways()
    {
        const DateTime late = *DateTime::fromCivil({2026, 12, 28, 22, 58, 58});
        AccountUsage &usage = program->source.found.emplace().usage;
        usage.lastLogin = usage.lastLogoff = usage.lastFailedLogin = usage.passwordExpires = late;
        usage.passwordLastChanged = *late.minusSeconds(42 * 86400);
        usage.lastBadLoginAddress = std::string("192.168.100.200");
        usage.badLoginCount = 1000;
        usage.passwordMaxAge = MaxPasswordAge{42, false};
        window->replaceReportText(failureText("jdoe"));
        ShowAccountUsage(u"SALES"_s, u"jdoe"_s);

        auto *text1 = child<QPlainTextEdit>("Text1");
        const QString shown = QString::fromStdString(window->reportText()).replace(u"\r\n"_s, u"\n"_s);
        QVERIFY(shown.contains(u"'SALES\\jdoe'"_s) && shown.contains(u"12/28/2026 10:58:58 PM"_s));
        QCOMPARE(text1->horizontalScrollBar()->maximum(), 0);
        QTest::keyClicks(text1, u"typed"_s);
        QTest::keyClick(text1, Qt::Key_Backspace);
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(text1->toPlainText(), shown);
    }

    // How the account is split and checked: tests/behaviour; here, that the
    // window reports a good one, and refuses a bad one in a message box over
    // the window drawn first.
    void commandLineAccount()
    {
        startWith("sales\\nobody");
        QCOMPARE(program->source.asked, std::vector<std::string>{"SALES\\nobody"});
        QCOMPARE(window->reportText(), failureText("SALES\\nobody"));
        QVERIFY(program->messageBox.texts.isEmpty());

        bool drawnFirst = false;
        startWith("sales\\", [&] { drawnFirst = program->windows.find<frmMain>()->isVisible(); });
        QCOMPARE(program->messageBox.texts, QStringList{u"User Name cannot be blank"_s});
        QVERIFY(drawnFirst && program->source.asked.empty() && window->reportText().empty());
    }

    // While the directory has not answered, the window's events run under a
    // wait cursor, and a close waits until the report is there.
    void readingKeepsTheWindowResponsiveUnderAWaitCursor()
    {
        // Bounded, so that a read holding the window's thread fails the test, not hangs it.
        std::binary_semaphore answer(0);
        program->source.onLookup = [&] { (void)answer.try_acquire_for(std::chrono::seconds(60)); };
        std::optional<Qt::CursorShape> cursor;
        QTimer::singleShot(10, window, [&] {
            if (const QCursor *shown = QGuiApplication::overrideCursor())
                cursor = shown->shape();
            window->close();
            answer.release();
        });
        ShowAccountUsage(u"SALES"_s, u"nobody"_s);
        QCOMPARE(cursor, std::optional(Qt::WaitCursor));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(window);
        QCOMPARE(window->reportText(), failureText("SALES\\nobody"));
        QTRY_VERIFY(window.isNull());
    }

    // Why a report failed, or whose answers it lacks (their texts:
    // main_window_test), goes to standard error and to the first panel's tool
    // tip; a whole report clears the tip.
    void reportWarningsGoToStandardErrorAndTheStatusToolTip()
    {
        auto *panel = window->statusBar()->findChild<QLabel *>(u"sbStatusPanel"_s);
        const std::tuple<bool, std::vector<std::string>, QString> rows[]{
            {false, {}, u"no such account\n"_s},
            {true, {"dc2.sales.test: down"}, u"dc2.sales.test: down; its answers are missing\n"_s},
            {true, {}, QString()},
        };  // bound, the controllers missing, the warnings
        for (const auto &[bound, missing, warnings] : rows) {
            program->errorOutput.clear();
            program->source.found = bound ? std::optional(AccountRecord{}) : std::nullopt;
            program->source.missing = missing;
            ShowAccountUsage(u"SALES"_s, u"jdoe"_s);
            const QString seen = QString::fromStdString(program->errorOutput) + u'|' + panel->toolTip() + u'|'
                + panel->text() + u'|' + (window->reportText().starts_with("\r\nHere is how") ? u"report"_s : u""_s);
            QCOMPARE(seen, warnings + u'|' + warnings.trimmed() + u"|Status|"_s + (bound ? u"report"_s : u""_s));
        }
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
