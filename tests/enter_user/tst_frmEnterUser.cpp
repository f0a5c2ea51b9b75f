// The Qt entry dialog: clicks and limits; that OK routes to
// the shared checks (tests/behaviour) and draws their outcome; hiding and
// unloading, and a dialog loaded afresh (focus, tab order).
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "report/account_usage.h"
#include "support/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

class tst_frmEnterUser : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { program.reset(); }

    void labelsFitAndAClickOnAFieldReachesIt_data();
    void labelsFitAndAClickOnAFieldReachesIt();
    void fieldsTakeNoMoreThanTheirLimit();
    void badEntries_data();
    void badEntries();
    void goodEntryIsHandedOnAsTyped();
    void unloadDiscardsTheTexts_data();
    void unloadDiscardsTheTexts();

private:
    frmEnterUser *showDialog();
    template <class T = QLineEdit> T *field(const QString &name) const { return dialog->findChild<T *>(name); }
    void enter(const QString &domain, const QString &userName)
    {
        QTest::keyClicks(field(u"txtDomain"_s), domain);
        QTest::keyClicks(field(u"txtUserName"_s), userName);
        QTest::mouseClick(field<QPushButton>(u"cmdOK"_s), Qt::LeftButton);
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

// File, Enter User name, as the user picks it.
frmEnterUser *tst_frmEnterUser::showDialog()
{
    window->findChild<QAction *>(u"mnuEnterUser"_s)->trigger();
    auto *shown = program->windows.find<frmEnterUser>();
    return shown && QTest::qWaitForWindowActive(shown) ? shown : nullptr;
}

// Each label's box reaches into its field: a click there goes to the field.
void tst_frmEnterUser::labelsFitAndAClickOnAFieldReachesIt_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("other");  // the field that has the caret before the click
    QTest::newRow("Domain") << u"lblLabels_1"_s << u"Domain:"_s << u"txtDomain"_s << u"txtUserName"_s;
    QTest::newRow("User Name") << u"lblLabels_0"_s << u"User Name:"_s << u"txtUserName"_s << u"txtDomain"_s;
}

void tst_frmEnterUser::labelsFitAndAClickOnAFieldReachesIt()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, other);

    const auto *l = this->field<QLabel>(label);
    auto *edit = this->field(field);
    QCOMPARE(l->text(), text);
    QVERIFY(l->fontMetrics().horizontalAdvance(text) <= l->width());

    const QRect overlap = l->geometry() & edit->geometry();
    QVERIFY(!overlap.isEmpty());
    this->field(other)->setFocus();
    QTest::keyClicks(edit, u"abc"_s);  // the caret at the end
    QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, overlap.center());
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->cursorPosition(), 0);  // moved by the click, before the text
}

// Pasted (QLineEdit cuts typing at the same limit).
void tst_frmEnterUser::fieldsTakeNoMoreThanTheirLimit()
{
    QString text;
    for (int i = 0; i < 260; ++i)
        text += QChar(u'a' + i % 26);
    QApplication::clipboard()->setText(text);
    for (const auto &[name, limit] : {std::pair(u"txtDomain"_s, 20), std::pair(u"txtUserName"_s, 255)}) {
        QTest::keySequence(field(name), QKeySequence::Paste);
        QCOMPARE(field(name)->text(), text.left(limit));
    }
}

// The message, then the caret in the faulty field with its text selected.
void tst_frmEnterUser::badEntries_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("faulty");

    QTest::newRow("empty domain") << QString() << u"a b"_s << u"Domain cannot be blank\r\n"
                                  "Enter a machine name if you are in a Workgroup"_s << u"txtDomain"_s;
    QTest::newRow("bad user") << u"sales"_s << u"j doe"_s << u"Wrong User Name"_s << u"txtUserName"_s;
}

void tst_frmEnterUser::badEntries()
{
    QFETCH(QString, domain);
    QFETCH(QString, userName);
    QFETCH(QString, message);
    QFETCH(QString, faulty);

    enter(domain, userName);
    QCOMPARE(program->messageBox.texts, QStringList{message});
    auto *edit = field(faulty);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), edit->text());
    QCOMPARE(edit->cursorPosition(), edit->text().size());
    QVERIFY(dialog->isVisible());
    QVERIFY(program->source.asked.empty());
    QVERIFY(window->reportText().empty());
}

// Handed to the report as typed (how the path is made: tests/report), not
// trimmed, the user name in its case; the dialog hides, and comes back where
// it was with its texts.
void tst_frmEnterUser::goodEntryIsHandedOnAsTyped()
{
    const QString domain = u" Sales"_s, userName = u"JDoe"_s;
    enter(domain, userName);
    QVERIFY(program->messageBox.texts.isEmpty());
    QCOMPARE(program->source.asked, std::vector<std::string>{" SALES\\JDoe"});
    QCOMPARE(window->reportText(), failureText(" SALES\\JDoe"));
    QVERIFY(dialog->isHidden());
    const QPoint place = dialog->pos();

    QCOMPARE(showDialog(), dialog.data());
    QCOMPARE(field(u"txtDomain"_s)->text(), domain);
    QCOMPARE(field(u"txtUserName"_s)->text(), userName);
    // (The offscreen platform does not activate a window shown again, so this
    // is the dialog's own focus, which it gives the caret when active.)
    QCOMPARE(dialog->focusWidget(), field(u"txtUserName"_s));
    QCOMPARE(field(u"txtUserName"_s)->selectedText(), userName);
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

    QTest::keyClicks(field(u"txtDomain"_s), u"sales"_s);
    QTest::keyClicks(field(u"txtUserName"_s), u"jdoe"_s);
    if (how == u"Cancel"_s)
        QTest::mouseClick(field<QPushButton>(u"cmdCancel"_s), Qt::LeftButton);
    else if (how == u"Esc"_s)
        QTest::keyClick(field(u"txtUserName"_s), Qt::Key_Escape);
    else
        dialog->close();  // what the close box sends

    QCOMPARE(program->windows.count(), 1);
    QVERIFY(program->source.asked.empty() && program->messageBox.texts.isEmpty());
    QTRY_VERIFY(dialog.isNull());

    // Loaded afresh: empty, a window of its own, the caret in the domain, tabs in order.
    dialog = showDialog();
    QVERIFY(dialog);
    QVERIFY(field(u"txtDomain"_s)->text().isEmpty() && field(u"txtUserName"_s)->text().isEmpty());
    QCOMPARE(dialog->parentWidget(), nullptr);
    QCOMPARE(QApplication::focusWidget(), field(u"txtDomain"_s));
    for (const QString &next : {u"txtUserName"_s, u"cmdOK"_s, u"cmdCancel"_s, u"txtDomain"_s}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field<QWidget>(next));
    }
}

QTEST_MAIN(tst_frmEnterUser)
#include "tst_frmEnterUser.moc"
