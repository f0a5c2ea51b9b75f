// The user entry dialog: layout, limits, validation order and messages,
// focus and selection, hand-off to the report, hiding and unloading.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "report/account_usage.h"
#include "tests/main/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

class tst_frmEnterUser : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutFollowsTheTwipsTable();
    void loadsCentredWithTheCaretInTheDomainAndTabsInOrder();
    void fieldsTakeNoMoreThanTheirLimit();
    void entries_data();
    void entries();
    void unloadDiscardsTheTexts_data();
    void unloadDiscardsTheTexts();

private:
    frmEnterUser *showDialog();
    template <class T = QLineEdit> T *field(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    void enter(const QString &domain, const QString &userName)
    {
        field("txtDomain")->setText(domain);
        field("txtUserName")->setText(userName);
        QTest::mouseClick(field<QPushButton>("cmdOK"), Qt::LeftButton);
    }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;
    QPointer<frmEnterUser> dialog;
};

void tst_frmEnterUser::init()
{
    program = std::make_unique<TestProgram>();
    window = startUp(program->services);
    dialog = showDialog();
    QVERIFY(dialog);
}

void tst_frmEnterUser::cleanup() { program.reset(); }

// Enter user name, as the main window runs it.
frmEnterUser *tst_frmEnterUser::showDialog()
{
    QMetaObject::invokeMethod(window, "mnuEnterUser_Click");
    auto *shown = program->windows.find<frmEnterUser>();
    return shown && QTest::qWaitForWindowActive(shown) ? shown : nullptr;
}

void tst_frmEnterUser::layoutFollowsTheTwipsTable()
{
    QCOMPARE(dialog->windowTitle(), u"Enter User"_s);
    QCOMPARE(dialog->size(), QSize(250, 103));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->parentWidget(), nullptr);
    QVERIFY(field<QPushButton>("cmdOK")->isDefault());

    // Name, geometry (twips / 15) and text of every control.
    QStringList controls;
    for (const char *name :
         {"lblLabels_1", "txtDomain", "lblLabels_0", "txtUserName", "cmdOK", "cmdCancel"}) {
        const QWidget *c = field<QWidget>(name);
        const auto *label = qobject_cast<const QLabel *>(c);
        const auto *button = qobject_cast<const QPushButton *>(c);
        controls << u"%1 %2,%3 %4x%5 %6"_s.arg(QString::fromLatin1(name))
                        .arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height())
                        .arg(label ? label->text() : button ? button->text() : QString());
    }
    QCOMPARE(controls, (QStringList{u"lblLabels_1 16,16 72x18 Domain:"_s,
                                    u"txtDomain 80,8 155x23 "_s,
                                    u"lblLabels_0 16,40 72x18 User Name:"_s,
                                    u"txtUserName 80,32 155x23 "_s,
                                    u"cmdOK 33,68 76x26 OK"_s,
                                    u"cmdCancel 140,68 76x26 Cancel"_s}));
}

void tst_frmEnterUser::loadsCentredWithTheCaretInTheDomainAndTabsInOrder()
{
    // Centred before its first show, when the window frame is not known yet:
    // off by no more than half the frame.
    const QPoint offCentre =
        dialog->geometry().center() - dialog->screen()->availableGeometry().center();
    const QMargins frame = dialog->windowHandle()->frameMargins();
    QVERIFY(offCentre.manhattanLength()
            <= (frame.left() + frame.right() + frame.top() + frame.bottom()) / 2 + 2);
    QVERIFY(field("txtDomain")->text().isEmpty() && field("txtUserName")->text().isEmpty());

    QCOMPARE(QApplication::focusWidget(), field("txtDomain"));
    for (const char *next : {"txtUserName", "cmdOK", "cmdCancel", "txtDomain"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field<QWidget>(next));
    }
}

void tst_frmEnterUser::fieldsTakeNoMoreThanTheirLimit()
{
    QString text;
    for (int i = 0; i < 260; ++i)
        text += QChar(u'a' + i % 26);
    QApplication::clipboard()->setText(text);
    const std::tuple<const char *, int, bool> cases[]{
        {"txtDomain", 20, false}, {"txtDomain", 20, true}, {"txtUserName", 255, true}};
    for (const auto &[name, limit, paste] : cases) {
        QLineEdit *edit = field(name);
        edit->clear();
        if (paste)
            QTest::keySequence(edit, QKeySequence::Paste);
        else
            QTest::keyClicks(edit, text.left(limit + 5));
        QCOMPARE(edit->text(), text.left(limit));
    }
}

// How names become paths is the report's business (account_usage_test);
// here, the order of the checks, and that the dialog hands over what was
// typed, untouched.
void tst_frmEnterUser::entries_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("message");  // empty for a good entry
    QTest::addColumn<QString>("path");     // bound by a good entry

    const QString blankDomain =
        u"Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup"_s;
    const QString wrong = u"Wrong User Name"_s;
    QTest::newRow("both empty") << QString() << QString() << blankDomain << QString();
    QTest::newRow("empty domain, bad user") << QString() << u"a b"_s << blankDomain << QString();
    QTest::newRow("empty user") << u"sales"_s << QString() << u"User Name cannot be blank"_s
                                << QString();
    QTest::newRow("inner space") << u"sales"_s << u"j doe"_s << wrong << QString();
    QTest::newRow("trailing space") << u"sales"_s << u"jdoe "_s << wrong << QString();
    QTest::newRow("typed as DOMAIN\\user") << u"sales"_s << u"SALES\\jdoe"_s << wrong << QString();
    QTest::newRow("user keeps its case") << u"Sales"_s << u"JDoe"_s << QString()
                                         << u"WinNT://SALES/JDoe,user"_s;
    QTest::newRow("nothing trimmed") << u" sales"_s << u"jdoe"_s << QString()
                                     << u"WinNT:// SALES/jdoe,user"_s;
}

void tst_frmEnterUser::entries()
{
    QFETCH(QString, domain);
    QFETCH(QString, userName);
    QFETCH(QString, message);
    QFETCH(QString, path);

    enter(domain, userName);

    if (!message.isEmpty()) {
        // The message, then the caret in the faulty field with its text selected.
        QCOMPARE(program->messageBox.texts, QStringList{message});
        auto *edit = field(domain.isEmpty() ? "txtDomain" : "txtUserName");
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), edit->text());
        QCOMPARE(edit->cursorPosition(), edit->text().size());
        QVERIFY(dialog->isVisible());
        QVERIFY(program->provider.boundPaths.empty());
        QVERIFY(window->reportText().empty());
        return;
    }
    QVERIFY(program->messageBox.texts.isEmpty());
    QCOMPARE(program->provider.boundPaths, std::vector<std::string>{path.toStdString()});
    QCOMPARE(window->reportText(),
             failureText((domain.toUpper() + u'\\' + userName).toStdString()));
    QVERIFY(dialog->isHidden());
    const QPoint place = dialog->pos();

    // Hidden, not unloaded: it comes back where it was, with its texts.
    QCOMPARE(showDialog(), dialog.data());
    QCOMPARE(field("txtDomain")->text(), domain);
    QCOMPARE(field("txtUserName")->text(), userName);
    // (The offscreen platform does not activate a window shown again, so this
    // is the dialog's own focus, which it gives the caret when active.)
    QCOMPARE(dialog->focusWidget(), field("txtUserName"));
    QCOMPARE(field("txtUserName")->selectedText(), userName);
    QCOMPARE(dialog->pos(), place);
}

void tst_frmEnterUser::unloadDiscardsTheTexts_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << u"Cancel"_s;
    QTest::newRow("Esc") << u"Esc"_s;
    QTest::newRow("close box") << u"close box"_s;
}

void tst_frmEnterUser::unloadDiscardsTheTexts()
{
    QFETCH(QString, how);

    QTest::keyClicks(field("txtDomain"), u"sales"_s);
    QTest::keyClicks(field("txtUserName"), u"jdoe"_s);
    if (how == u"Cancel"_s)
        QTest::mouseClick(field<QPushButton>("cmdCancel"), Qt::LeftButton);
    else if (how == u"Esc"_s)
        QTest::keyClick(field("txtUserName"), Qt::Key_Escape);
    else
        dialog->close();  // what the close box sends

    QCOMPARE(program->windows.count(), 1);
    QVERIFY(program->provider.boundPaths.empty() && program->messageBox.texts.isEmpty());
    QTRY_VERIFY(dialog.isNull());

    // Shown again: a new dialog, empty, with the caret in the domain field.
    dialog = showDialog();
    QVERIFY(dialog);
    QVERIFY(field("txtDomain")->text().isEmpty() && field("txtUserName")->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), field("txtDomain"));
}

QTEST_MAIN(tst_frmEnterUser)
#include "tst_frmEnterUser.moc"
