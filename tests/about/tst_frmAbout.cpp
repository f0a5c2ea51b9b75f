// The Qt about box: its texts fit and take no clicks; Help, About opens it
// modal over the main window; every way out closes it; it blocks Ctrl+E.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "about/about_box.h"
#include "about/qt/frmAbout.h"
#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "support/test_program.h"

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

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { program.reset(); }

    void textsFitAndTakeNoClicks();
    void aboutShowsTheBoxModallyOverTheMainWindow_data();
    void aboutShowsTheBoxModallyOverTheMainWindow();
    void ctrlEOpensNoDialogWhileOpen();

private:
    void showAbout() { window->findChild<QAction *>("mnuHelpAbout")->trigger(); }

    std::unique_ptr<TestProgram> program;
    QPointer<frmMain> window;
};

void tst_frmAbout::init()
{
    program = std::make_unique<TestProgram>();
    window = startUp(program->services);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_frmAbout::textsFitAndTakeNoClicks()
{
    // "In black" holds even where the default text colour is another.
    const QPalette before = QApplication::palette();
    QPalette blue = before;
    blue.setColor(QPalette::WindowText, Qt::darkBlue);
    QApplication::setPalette(blue);
    frmAbout box(window, program->windows);
    box.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(box.windowTitle(), QString("About Tramsel"));
    QCOMPARE(box.picIcon->pixmap().size(), QSize(32, 32));

    QCOMPARE(box.Frame1->findChildren<QLabel *>().size(), qsizetype(about_box::kLabels.size()));
    for (const about_box::Label &shared : about_box::kLabels) {
        const auto *l = box.Frame1->findChild<QLabel *>(shared.name);
        QCOMPARE(l->text(), QString::fromUtf8(shared.text));
        QCOMPARE(l->textFormat(), Qt::PlainText);
        const bool black = shared.face == about_box::Face::Black || shared.face == about_box::Face::TitleBold;
        QCOMPARE(l->palette().color(QPalette::WindowText), QColor(black ? Qt::black : Qt::darkBlue));
        QCOMPARE(l->textInteractionFlags(), Qt::NoTextInteraction);
        const QFontMetrics metrics = l->fontMetrics();
        QVERIFY2(l == box.lblVersion  // the one label that takes two lines
                     ? metrics.boundingRect(QRect(0, 0, l->width(), 1000), Qt::TextWordWrap,
                                            l->text()).height() <= l->height()
                     : metrics.horizontalAdvance(l->text()) <= l->width(),
                 shared.name);
    }
    QApplication::setPalette(before);
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
    QPointer<frmAbout> shown;
    int clicks = 0;
    whileShown(
        [&](frmAbout *box) {
            shown = box;
            connect(box->cmdOK, &QPushButton::clicked, [&] { ++clicks; });
            QCOMPARE(box->parentWidget(), window.data());
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            QCOMPARE(program->windows.count(), 2);
            QCOMPARE(box->focusWidget(), box->cmdOK);
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
    QCOMPARE(clicks, 1);
    QTRY_VERIFY(shown.isNull());
    QCOMPARE(program->windows.count(), 1);
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
        [](frmAbout *box) { QTest::keyClick(box->windowHandle(), Qt::Key_Return); });
    showAbout();
    QVERIFY(!opened);
    QApplication::setActiveWindow(window);
    QTRY_COMPARE(QApplication::activeWindow(), window.data());
    QVERIFY(ctrlEOpensTheDialog());
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
