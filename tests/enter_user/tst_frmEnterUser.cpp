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

#include "enter_user/frmEnterUser.h"
#include "main/frmMain.h"
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

    void layoutFollowsTheTwipsTable_data();
    void layoutFollowsTheTwipsTable();
    void loadsCentredWithTheCaretInTheDomainAndTabsInOrder();
    void fieldsTakeNoMoreThanTheirLimit_data();
    void fieldsTakeNoMoreThanTheirLimit();
    void badEntries_data();
    void badEntries();
    void goodEntryHidesAndReports_data();
    void goodEntryHidesAndReports();
    void hiddenDialogComesBackWithItsTexts();
    void unloadDiscardsTheTexts_data();
    void unloadDiscardsTheTexts();

private:
    frmEnterUser *showDialog();
    QLineEdit *field(const char *name) const
    {
        return dialog->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    void enter(const QString &domain, const QString &userName)
    {
        field("txtDomain")->setText(domain);
        field("txtUserName")->setText(userName);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdOK"_s), Qt::LeftButton);
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
    if (shown && !QTest::qWaitForWindowActive(shown))
        return nullptr;
    return shown;
}

void tst_frmEnterUser::layoutFollowsTheTwipsTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");  // twips / 15
    QTest::addColumn<QString>("text");

    QTest::newRow("domain label") << u"lblLabels_1"_s << QRect(16, 16, 72, 18) << u"Domain:"_s;
    QTest::newRow("domain") << u"txtDomain"_s << QRect(80, 8, 155, 23) << QString();
    QTest::newRow("user label") << u"lblLabels_0"_s << QRect(16, 40, 72, 18) << u"User Name:"_s;
    QTest::newRow("user") << u"txtUserName"_s << QRect(80, 32, 155, 23) << QString();
    QTest::newRow("OK") << u"cmdOK"_s << QRect(33, 68, 76, 26) << u"OK"_s;
    QTest::newRow("Cancel") << u"cmdCancel"_s << QRect(140, 68, 76, 26) << u"Cancel"_s;
}

void tst_frmEnterUser::layoutFollowsTheTwipsTable()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QCOMPARE(dialog->windowTitle(), u"Enter User"_s);
    QCOMPARE(dialog->size(), QSize(250, 103));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->parentWidget(), nullptr);

    auto *control = dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), text);
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), text);

    QVERIFY(dialog->findChild<QPushButton *>(u"cmdOK"_s)->isDefault());
    QVERIFY(!field("txtDomain")->testAttribute(Qt::WA_InputMethodEnabled));
}

void tst_frmEnterUser::loadsCentredWithTheCaretInTheDomainAndTabsInOrder()
{
    // Centred before its first show, when the window frame is not known yet:
    // off by no more than half the frame.
    const QPoint centre = dialog->screen()->availableGeometry().center();
    const QMargins frame = dialog->windowHandle()->frameMargins();
    const int slack = (frame.left() + frame.right() + frame.top() + frame.bottom()) / 2 + 2;
    QVERIFY2((dialog->geometry().center() - centre).manhattanLength() <= slack,
             qPrintable(u"centre %1,%2"_s.arg(dialog->geometry().center().x())
                            .arg(dialog->geometry().center().y())));
    QCOMPARE(QApplication::focusWidget(), field("txtDomain"));
    QVERIFY(field("txtDomain")->text().isEmpty());
    QVERIFY(field("txtUserName")->text().isEmpty());

    const QList<QWidget *> order{field("txtUserName"), dialog->findChild<QPushButton *>(u"cmdOK"_s),
                                 dialog->findChild<QPushButton *>(u"cmdCancel"_s),
                                 field("txtDomain")};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_frmEnterUser::fieldsTakeNoMoreThanTheirLimit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("paste");

    QTest::newRow("domain typed") << u"txtDomain"_s << 20 << false;
    QTest::newRow("domain pasted") << u"txtDomain"_s << 20 << true;
    QTest::newRow("user typed") << u"txtUserName"_s << 255 << false;
    QTest::newRow("user pasted") << u"txtUserName"_s << 255 << true;
}

void tst_frmEnterUser::fieldsTakeNoMoreThanTheirLimit()
{
    QFETCH(QString, name);
    QFETCH(int, limit);
    QFETCH(bool, paste);

    auto *edit = dialog->findChild<QLineEdit *>(name);
    edit->setFocus();
    QString text;
    for (int i = 0; i < limit + 5; ++i)
        text += QChar(u'a' + i % 26);
    if (paste) {
        QApplication::clipboard()->setText(text);
        QTest::keySequence(edit, QKeySequence::Paste);
    } else {
        QTest::keyClicks(edit, text);
    }
    QCOMPARE(edit->text(), text.left(limit));
}

void tst_frmEnterUser::badEntries_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");

    const QString blankDomain =
        u"Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup"_s;
    QTest::newRow("both empty") << QString() << QString() << blankDomain << u"txtDomain"_s;
    QTest::newRow("empty domain, bad user") << QString() << u"a b"_s << blankDomain
                                            << u"txtDomain"_s;
    QTest::newRow("empty user") << u"sales"_s << QString() << u"User Name cannot be blank"_s
                                << u"txtUserName"_s;
    QTest::newRow("inner space") << u"sales"_s << u"j doe"_s << u"Wrong User Name"_s
                                 << u"txtUserName"_s;
    QTest::newRow("trailing space") << u"sales"_s << u"jdoe "_s << u"Wrong User Name"_s
                                    << u"txtUserName"_s;
    QTest::newRow("typed as DOMAIN\\user") << u"sales"_s << u"SALES\\jdoe"_s
                                           << u"Wrong User Name"_s << u"txtUserName"_s;
    QTest::newRow("only a space") << u"sales"_s << u" "_s << u"Wrong User Name"_s
                                  << u"txtUserName"_s;
}

void tst_frmEnterUser::badEntries()
{
    QFETCH(QString, domain);
    QFETCH(QString, userName);
    QFETCH(QString, message);
    QFETCH(QString, focused);

    enter(domain, userName);

    QCOMPARE(program->messageBox.texts, QStringList{message});
    auto *edit = dialog->findChild<QLineEdit *>(focused);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), edit->text());
    QCOMPARE(edit->cursorPosition(), edit->text().size());
    QVERIFY(dialog->isVisible());
    QVERIFY(program->provider.boundPaths.empty());
    QVERIFY(window->reportText().empty());
}

void tst_frmEnterUser::goodEntryHidesAndReports_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("display");

    QTest::newRow("plain") << u"sales"_s << u"nobody"_s << u"WinNT://SALES/nobody,user"_s
                           << u"SALES\\nobody"_s;
    QTest::newRow("user keeps its case") << u"Sales"_s << u"JDoe"_s << u"WinNT://SALES/JDoe,user"_s
                                         << u"SALES\\JDoe"_s;
    QTest::newRow("domain with space") << u"my pc"_s << u"jdoe"_s << u"WinNT://MY PC/jdoe,user"_s
                                       << u"MY PC\\jdoe"_s;
    QTest::newRow("domain with backslash") << u"a\\b"_s << u"jdoe"_s
                                           << u"WinNT://A\\B/jdoe,user"_s << u"A\\B\\jdoe"_s;
    QTest::newRow("nothing trimmed") << u" sales"_s << u"jdoe"_s << u"WinNT:// SALES/jdoe,user"_s
                                     << u" SALES\\jdoe"_s;
}

void tst_frmEnterUser::goodEntryHidesAndReports()
{
    QFETCH(QString, domain);
    QFETCH(QString, userName);
    QFETCH(QString, path);
    QFETCH(QString, display);

    enter(domain, userName);

    QVERIFY(program->messageBox.texts.isEmpty());
    QCOMPARE(program->provider.boundPaths, std::vector<std::string>{path.toStdString()});
    QCOMPARE(window->reportText(), failureText(display.toStdString()));
    QVERIFY(dialog->isHidden());
    QCOMPARE(program->windows.find<frmEnterUser>(), dialog.data());  // still loaded
}

void tst_frmEnterUser::hiddenDialogComesBackWithItsTexts()
{
    QTest::keyClicks(field("txtDomain"), u"sales"_s);
    QTest::keyClick(field("txtDomain"), Qt::Key_Tab);
    QTest::keyClicks(field("txtUserName"), u"jdoe"_s);
    QTest::keyClick(field("txtUserName"), Qt::Key_Return);  // the default button
    QVERIFY(dialog->isHidden());
    const QPoint place = dialog->pos();

    QCOMPARE(showDialog(), dialog.data());
    QCOMPARE(field("txtDomain")->text(), u"sales"_s);
    QCOMPARE(field("txtUserName")->text(), u"jdoe"_s);
    // (The offscreen platform does not activate a window shown again, so this
    // is the dialog's own focus, which it gives the caret when active.)
    QCOMPARE(dialog->focusWidget(), field("txtUserName"));
    QCOMPARE(field("txtUserName")->selectedText(), u"jdoe"_s);
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
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdCancel"_s), Qt::LeftButton);
    else if (how == u"Esc"_s)
        QTest::keyClick(field("txtUserName"), Qt::Key_Escape);
    else
        dialog->close();  // what the close box sends

    QVERIFY(!program->windows.find<frmEnterUser>());
    QCOMPARE(program->windows.count(), 1);
    QVERIFY(program->provider.boundPaths.empty());
    QVERIFY(program->messageBox.texts.isEmpty());
    QTRY_VERIFY(dialog.isNull());

    // Shown again: a new dialog, empty, with the caret in the domain field.
    dialog = showDialog();
    QVERIFY(dialog);
    QVERIFY(field("txtDomain")->text().isEmpty());
    QVERIFY(field("txtUserName")->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), field("txtDomain"));
}

QTEST_MAIN(tst_frmEnterUser)
#include "tst_frmEnterUser.moc"
