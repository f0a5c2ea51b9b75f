// The about box: its layout and texts, and how Help, About opens it over the
// main window and how it closes.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "about/frmAbout.h"
#include "enter_user/frmEnterUser.h"
#include "main/frmMain.h"
#include "tests/main/test_program.h"

using namespace tramsel;
using tramsel::testing::TestProgram;

namespace {

// Runs `check` on the modal box once it is shown, then `close`. A box left
// open by a failed check is closed a little later, so that a failure never
// hangs the test.
void whileShown(std::function<void(frmAbout *)> check, std::function<void(frmAbout *)> close)
{
    QTimer::singleShot(0, [=] {
        auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(box);
        if (QTest::qWaitForWindowActive(box))
            check(box);
        else
            QFAIL("the about box did not become the active window");
        close(box);
    });
    QTimer::singleShot(5000, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
}

void pressEnter(frmAbout *box)
{
    QTest::keyClick(box->windowHandle(), Qt::Key_Return);
}

QStringList texts(const frmAbout *box)
{
    QStringList result{box->windowTitle()};
    for (const QLabel *l : box->findChildren<QLabel *>())
        result << l->objectName() + QLatin1Char('=') + l->text();
    return result;
}

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void fonts();
    void aboutShowsTheBoxModallyOverTheMainWindow();
    void closes_data();
    void closes();
    void nothingElseTakesInputWhileOpen_data();
    void nothingElseTakesInputWhileOpen();
    void showsTheSameTextsEachTime();

private:
    void showAbout() { QVERIFY(QMetaObject::invokeMethod(window, "mnuHelpAbout_Click")); }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;
};

void tst_frmAbout::init()
{
    program = std::make_unique<TestProgram>();
    window = startUp(program->services);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_frmAbout::cleanup()
{
    program.reset();
}

void tst_frmAbout::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    // Pixels at 96 dots per inch: twips / 15.
    QTest::newRow("Frame1") << "Frame1" << "frmAbout" << QRect(8, 0, 353, 153) << "";
    QTest::newRow("picIcon") << "picIcon" << "frmAbout" << QRect(16, 16, 32, 32) << "";
    QTest::newRow("cmdOK") << "cmdOK" << "frmAbout" << QRect(136, 160, 98, 23) << "OK";
    QTest::newRow("lblTitle") << "lblTitle" << "Frame1" << QRect(56, 16, 273, 24) << "Tramsel V. 2.0";
    QTest::newRow("lblVersion") << "lblVersion" << "Frame1" << QRect(56, 40, 249, 31)
                                << "Shows how NT accounts have been used (last login, last logoff, ...)";
    QTest::newRow("lblDescription") << "lblDescription" << "Frame1" << QRect(56, 75, 273, 14)
                                    << "Copyright (C) 2003-2026 The Tramsel developers";
    QTest::newRow("lblDisclaimer") << "lblDisclaimer" << "Frame1" << QRect(56, 88, 258, 15)
                                   << "developers@tramsel.example.org";
    QTest::newRow("Label1") << "Label1" << "Frame1" << QRect(56, 104, 273, 17) << "https://tramsel.example.org/";
    QTest::newRow("Label2") << "Label2" << "Frame1" << QRect(56, 120, 273, 17)
                            << "Check this website for more resources about security...";
}

void tst_frmAbout::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    frmAbout box(window, program->windows);
    box.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(box.windowTitle(), QString("About Tramsel"));
    QCOMPARE(box.size(), QSize(369, 189));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(box.windowFlags() & Qt::WindowCloseButtonHint);

    auto *widget = box.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *l = qobject_cast<QLabel *>(widget); l && name != "picIcon") {
        QCOMPARE(l->text(), text);
        // Plain text that wraps at its width; nothing in it can be clicked.
        QCOMPARE(l->textFormat(), Qt::PlainText);
        QCOMPARE(l->textInteractionFlags(), Qt::NoTextInteraction);
        QVERIFY(!l->openExternalLinks());
    }
    if (auto *b = qobject_cast<QPushButton *>(widget))
        QCOMPARE(b->text(), text);
}

void tst_frmAbout::fonts()
{
    frmAbout box(window, program->windows);
    box.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(box.font().pointSizeF(), 8.25);
    QCOMPARE(box.lblTitle->font().pointSizeF(), 9.75);
    QVERIFY(box.lblTitle->font().bold());
    QCOMPARE(box.Label1->font().pointSizeF(), 8.25);
    QVERIFY(box.Label1->font().bold());
    for (QLabel *l : {box.lblVersion, box.lblDescription, box.lblDisclaimer, box.Label2}) {
        QCOMPARE(l->font(), box.font());
        QVERIFY(!l->font().bold());
    }
    for (QLabel *l : {box.lblTitle, box.lblDescription, box.lblDisclaimer})
        QCOMPARE(l->palette().color(QPalette::WindowText), QColor(Qt::black));
    // The one-line labels keep their text on one line, the description
    // takes two.
    for (QLabel *l : {box.lblTitle, box.lblDescription, box.lblDisclaimer, box.Label1, box.Label2})
        QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->objectName()));
    const QRect twoLines = box.lblVersion->fontMetrics().boundingRect(
        QRect(0, 0, box.lblVersion->width(), 1000), Qt::TextWordWrap, box.lblVersion->text());
    QVERIFY(twoLines.height() <= box.lblVersion->height());
    QCOMPARE(box.picIcon->pixmap().size(), QSize(32, 32));
}

void tst_frmAbout::aboutShowsTheBoxModallyOverTheMainWindow()
{
    QPointer<frmAbout> shown;
    whileShown(
        [&](frmAbout *box) {
            shown = box;
            QCOMPARE(box->parentWidget(), window.data());
            QVERIFY(box->isWindow());
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            // Loaded after the main window, and only once.
            QCOMPARE(program->windows.count(), 2);
            QCOMPARE(program->windows.at(1), box);
            QVERIFY(box->cmdOK->isDefault());
            QCOMPARE(box->focusWidget(), box->cmdOK);
        },
        pressEnter);
    showAbout();

    // Back in the main window, the box is unloaded.
    QTRY_VERIFY(shown.isNull());
    QCOMPARE(program->windows.count(), 1);
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_frmAbout::closes_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Enter") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("OK clicked") << 2;
    QTest::newRow("close box") << 3;
}

void tst_frmAbout::closes()
{
    QFETCH(int, how);
    QPointer<frmAbout> shown;
    int clicks = 0;
    whileShown(
        [&](frmAbout *box) {
            shown = box;
            connect(box->cmdOK, &QPushButton::clicked, [&] { ++clicks; });
        },
        [how](frmAbout *box) {
            switch (how) {
            case 0: QTest::keyClick(box->windowHandle(), Qt::Key_Return); break;
            case 1: QTest::keyClick(box->windowHandle(), Qt::Key_Escape); break;
            case 2: QTest::mouseClick(box->cmdOK, Qt::LeftButton); break;
            case 3: box->close(); break;
            }
        });
    showAbout();

    // Every way out presses OK once, and the box is gone.
    QCOMPARE(clicks, 1);
    QTRY_VERIFY(shown.isNull());
    QCOMPARE(program->windows.count(), 1);
}

void tst_frmAbout::nothingElseTakesInputWhileOpen_data()
{
    QTest::addColumn<bool>("aboutOpen");
    QTest::newRow("about box closed") << false;
    QTest::newRow("about box open") << true;
}

void tst_frmAbout::nothingElseTakesInputWhileOpen()
{
    QFETCH(bool, aboutOpen);
    // The entry dialog is open too, modeless, with a text in its domain field.
    QVERIFY(QMetaObject::invokeMethod(window, "mnuEnterUser_Click"));
    QPointer<frmEnterUser> entry = program->windows.find<frmEnterUser>();
    QVERIFY(entry);
    QVERIFY(QTest::qWaitForWindowExposed(entry));
    auto *txtDomain = entry->findChild<QLineEdit *>("txtDomain");
    QApplication::setActiveWindow(window);
    QTRY_COMPARE(QApplication::activeWindow(), window.data());

    // Keys typed as the window system delivers them: Ctrl+E on the main
    // window, a letter on the entry dialog.
    int dialogsSeen = 0;
    const auto typeEverywhere = [&] {
        entry->close();  // Ctrl+E would bring back this very dialog: count new ones
        QTRY_VERIFY(entry.isNull());
        QTest::keyClick(window->windowHandle(), Qt::Key_E, Qt::ControlModifier);
        if (program->windows.find<frmEnterUser>())
            ++dialogsSeen;
    };
    if (aboutOpen) {
        whileShown([&](frmAbout *box) {
            QTest::keyClick(box->windowHandle(), Qt::Key_E, Qt::ControlModifier);
            QTest::keyClick(entry->windowHandle(), Qt::Key_X);
            QCOMPARE(txtDomain->text(), QString());
            typeEverywhere();
        }, pressEnter);
        showAbout();
        QCOMPARE(dialogsSeen, 0);
    } else {
        QTest::keyClick(entry->windowHandle(), Qt::Key_X);
        QVERIFY(!txtDomain->text().isEmpty());
        typeEverywhere();
        QCOMPARE(dialogsSeen, 1);
    }
}

void tst_frmAbout::showsTheSameTextsEachTime()
{
    QList<QStringList> seen;
    QList<QPointer<frmAbout>> boxes;
    for (int i = 0; i < 2; ++i) {
        whileShown(
            [&](frmAbout *box) {
                seen << texts(box);
                boxes << box;
            },
            pressEnter);
        showAbout();
        QTRY_VERIFY(boxes.last().isNull());
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1], seen[0]);
    QCOMPARE(seen[0].size(), 1 + 7);  // the caption, six labels and the icon
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
