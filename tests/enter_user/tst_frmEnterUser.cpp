// The Qt entry dialog: limits; that OK routes to the shared checks
// (tests/behaviour) and draws their outcome; hiding and unloading, and a
// dialog loaded afresh (focus, tab order).
#include <QtTest>
#include <QtWidgets>

#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "report/account_usage.h"
#include "support/test_program.h"

using namespace Qt::StringLiterals;
using namespace tramsel;
using tramsel::testing::TestProgram;

class tst_frmEnterUser : public QObject {
    Q_OBJECT

    // File, Enter User name, as the user picks it.
    frmEnterUser *showDialog()
    {
        window->findChild<QAction *>(u"mnuEnterUser"_s)->trigger();
        auto *shown = program->windows.find<frmEnterUser>();
        return shown && QTest::qWaitForWindowActive(shown) ? shown : nullptr;
    }
    template <class T = QLineEdit> T *field(const QString &name) const { return dialog->findChild<T *>(name); }
    void type(const QString &domain, const QString &userName)
    {
        QTest::keyClicks(field(u"txtDomain"_s), domain);
        QTest::keyClicks(field(u"txtUserName"_s), userName);
    }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;
    QPointer<frmEnterUser> dialog;

private slots:
    void init()
    {
        program = std::make_unique<TestProgram>();
        window = startUp(program->services);
        dialog = showDialog();
        QVERIFY(dialog);
    }
    void cleanup() { program.reset(); }

    // Pasted (QLineEdit cuts typing at the same limit).
    void fieldsTakeNoMoreThanTheirLimit()
    {
        const QString text = QString(u"abcdefghijklm"_s).repeated(20);
        QApplication::clipboard()->setText(text);
        for (const auto &[name, limit] : {std::pair(u"txtDomain"_s, 20), std::pair(u"txtUserName"_s, 255)}) {
            QTest::keySequence(field(name), QKeySequence::Paste);
            QCOMPARE(field(name)->text(), text.left(limit));
        }
    }

    // The message, then the caret in the faulty field with its text selected;
    // nothing reported.
    void badEntries()
    {
        for (const auto &[domain, userName, message, faulty] :
             {std::tuple(QString(), u"a b"_s, u"Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup"_s, u"txtDomain"_s),
              {u"sales"_s, u"j doe"_s, u"Wrong User Name"_s, u"txtUserName"_s}}) {
            for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
                edit->clear();
            program->messageBox.texts.clear();
            type(domain, userName);
            QTest::mouseClick(field<QPushButton>(u"cmdOK"_s), Qt::LeftButton);
            QCOMPARE(program->messageBox.texts, QStringList{message});
            auto *edit = field(faulty);
            QCOMPARE(std::tuple(QApplication::focusWidget(), edit->selectedText(), edit->cursorPosition()),
                     (std::tuple<QWidget *, QString, int>(edit, edit->text(), edit->text().size())));
            QVERIFY(dialog->isVisible() && program->source.asked.empty() && window->reportText().empty());
        }
    }

    // Handed to the report as typed (how the path is made: tests/report), not
    // trimmed, the user name in its case; the dialog hides before the read, and comes back where
    // it was with its texts.
    void goodEntryIsHandedOnAsTyped()
    {
        std::atomic<bool> hiddenWhenRead = false;
        program->source.onLookup = [&] { hiddenWhenRead = dialog->isHidden(); };
        type(u" Sales"_s, u"JDoe"_s);
        QTest::keyClick(field(u"txtUserName"_s), Qt::Key_Return);
        QVERIFY(program->messageBox.texts.isEmpty());
        QCOMPARE(program->source.asked, std::vector<std::string>{" SALES\\JDoe"});
        QCOMPARE(window->reportText(), failureText(" SALES\\JDoe"));
        QVERIFY(hiddenWhenRead && dialog->isHidden());
        const QPoint place = dialog->pos();

        QCOMPARE(showDialog(), dialog.data());
        QCOMPARE(field(u"txtDomain"_s)->text(), u" Sales"_s);
        // (The offscreen platform does not activate a window shown again, so this
        // is the dialog's own focus, which it gives the caret when active.)
        QCOMPARE(dialog->focusWidget(), field(u"txtUserName"_s));
        QCOMPARE(field(u"txtUserName"_s)->selectedText(), u"JDoe"_s);
        QCOMPARE(dialog->pos(), place);
    }

    // Cancel, Esc and the close box, each on the dialog the one before loaded afresh.
    void unloadDiscardsTheTexts()
    {
        for (const int how : {0, 1, 2}) {
            type(u"sales"_s, u"jdoe"_s);
            if (how == 0)
                QTest::mouseClick(field<QPushButton>(u"cmdCancel"_s), Qt::LeftButton);
            else if (how == 1)
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
    }
};

QTEST_MAIN(tst_frmEnterUser)
#include "tst_frmEnterUser.moc"
