// The about box: its layout and texts, and how Help, About opens it over the
// main window and how it closes.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "about/qt/frmAbout.h"
#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
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

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void aboutShowsTheBoxModallyOverTheMainWindow_data();
    void aboutShowsTheBoxModallyOverTheMainWindow();
    void ctrlEOpensNoDialogWhileOpen();

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

void tst_frmAbout::cleanup() { program.reset(); }

void tst_frmAbout::layout()
{
    frmAbout box(window, program->windows);
    box.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(box.windowTitle(), QString("About Tramsel"));
    QCOMPARE(box.size(), QSize(369, 189));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(box.picIcon->pixmap().size(), QSize(32, 32));

    // Parent, geometry (twips / 15) and text of every control.
    QStringList controls;
    for (const char *name : {"Frame1", "picIcon", "cmdOK", "lblTitle", "lblVersion",
                             "lblDescription", "lblDisclaimer", "Label1", "Label2"}) {
        const auto *c = box.findChild<QWidget *>(name);
        const auto *l = qobject_cast<const QLabel *>(c);
        const auto *b = qobject_cast<const QPushButton *>(c);
        controls << QString("%1 in %2 %3,%4 %5x%6 %7").arg(name, c->parentWidget()->objectName())
                        .arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height())
                        .arg(l ? l->text() : b ? b->text() : QString());
        if (l && l != box.picIcon) {
            // Plain text that fits its label; nothing in it can be clicked.
            QCOMPARE(l->textFormat(), Qt::PlainText);
            QCOMPARE(l->textInteractionFlags(), Qt::NoTextInteraction);
            const QFontMetrics metrics = l->fontMetrics();
            QVERIFY2(l == box.lblVersion  // the one label that takes two lines
                         ? metrics.boundingRect(QRect(0, 0, l->width(), 1000), Qt::TextWordWrap,
                                                l->text()).height() <= l->height()
                         : metrics.horizontalAdvance(l->text()) <= l->width(),
                     name);
        }
    }
    QCOMPARE(controls, (QStringList{
        "Frame1 in frmAbout 8,0 353x153 ",
        "picIcon in frmAbout 16,16 32x32 ",
        "cmdOK in frmAbout 136,160 98x23 OK",
        "lblTitle in Frame1 56,16 273x24 Tramsel V. 2.0",
        "lblVersion in Frame1 56,40 249x31 "
        "Shows how NT accounts have been used (last login, last logoff, ...)",
        "lblDescription in Frame1 56,75 273x14 Copyright (C) 2003-2026 The Tramsel developers",
        "lblDisclaimer in Frame1 56,88 258x15 developers@tramsel.example.org",
        "Label1 in Frame1 56,104 273x17 https://tramsel.example.org/",
        "Label2 in Frame1 56,120 273x17 Check this website for more resources about security...",
    }));
}

void tst_frmAbout::aboutShowsTheBoxModallyOverTheMainWindow_data()
{
    QTest::addColumn<int>("how");  // it is closed
    QTest::newRow("Enter") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("OK clicked") << 2;
    QTest::newRow("close box") << 3;
}

void tst_frmAbout::aboutShowsTheBoxModallyOverTheMainWindow()
{
    QFETCH(int, how);
    // Shown twice, the same way and with the same texts.
    QList<QStringList> seen;
    int clicks = 0;
    for (int i = 0; i < 2; ++i) {
        QPointer<frmAbout> shown;
        whileShown(
            [&](frmAbout *box) {
                shown = box;
                connect(box->cmdOK, &QPushButton::clicked, [&] { ++clicks; });
                QCOMPARE(box->parentWidget(), window.data());
                QVERIFY(box->isWindow());
                QCOMPARE(box->windowModality(), Qt::ApplicationModal);
                // Loaded after the main window, and only once.
                QCOMPARE(program->windows.count(), 2);
                QCOMPARE(program->windows.at(1), box);
                QCOMPARE(box->focusWidget(), box->cmdOK);
                QStringList texts{box->windowTitle()};
                for (const QLabel *l : box->findChildren<QLabel *>())
                    texts << l->objectName() + '=' + l->text();
                seen << texts;
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

        // Every way out presses OK once; back in the main window, the box is unloaded.
        QCOMPARE(clicks, i + 1);
        QTRY_VERIFY(shown.isNull());
        QCOMPARE(program->windows.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1], seen[0]);
    QCOMPARE(seen[0].size(), 1 + 7);  // the caption, six labels and the icon
}

void tst_frmAbout::ctrlEOpensNoDialogWhileOpen()
{
    // Keys as the window system delivers them, which a modal box blocks.
    const auto ctrlEOpensTheDialog = [&] {
        QTest::keyClick(window->windowHandle(), Qt::Key_E, Qt::ControlModifier);
        return program->windows.find<frmEnterUser>() != nullptr;
    };
    bool opened = true;
    whileShown(
        [&](frmAbout *box) {
            QTest::keyClick(box->windowHandle(), Qt::Key_E, Qt::ControlModifier);
            opened = ctrlEOpensTheDialog();
        },
        pressEnter);
    showAbout();
    QVERIFY(!opened);
    // Once the box is gone, the main window takes it again.
    QApplication::setActiveWindow(window);
    QTRY_COMPARE(QApplication::activeWindow(), window.data());
    QVERIFY(ctrlEOpensTheDialog());
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
