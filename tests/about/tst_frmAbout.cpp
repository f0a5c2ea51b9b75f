// The Qt about box: its texts and colours, and they take no clicks; Help,
// About opens it, modal; every way out closes it.
#include <QtTest>
#include <QtWidgets>

#include "about/about_box.h"
#include "about/qt/frmAbout.h"
#include "main/qt/frmMain.h"
#include "support/test_program.h"

using namespace tramsel;
using tramsel::testing::TestProgram;

class tst_frmAbout : public QObject {
    Q_OBJECT

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

    void textsAreBlackOrDefaultAndTakeNoClicks()
    {
        // "In black" holds even where the default text colour is another.
        const QPalette before = QApplication::palette();
        QPalette blue = before;
        blue.setColor(QPalette::WindowText, Qt::darkBlue);
        QApplication::setPalette(blue);
        frmAbout box(window, program->windows);
        box.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(box.Frame1->findChildren<QLabel *>().size(), qsizetype(about_box::kLabels.size()));
        for (const about_box::Label &shared : about_box::kLabels) {
            const auto *l = box.Frame1->findChild<QLabel *>(shared.name);
            const bool black = shared.face == about_box::Face::Black || shared.face == about_box::Face::TitleBold;
            QCOMPARE(std::tuple(l->text(), l->palette().color(QPalette::WindowText), l->textFormat(), l->textInteractionFlags()),
                     std::tuple(QString::fromUtf8(shared.text), QColor(black ? Qt::black : Qt::darkBlue), Qt::PlainText,
                                Qt::TextInteractionFlags(Qt::NoTextInteraction)));
        }
        QApplication::setPalette(before);
    }

    // Every way out (Enter, Esc, OK clicked, the close box) presses OK once;
    // back in the main window, the box is unloaded.
    void aboutOpensTheBoxAndEveryWayOutClosesIt()
    {
        for (const int how : {int(Qt::Key_Return), int(Qt::Key_Escape), 0, -1}) {  // OK clicked, the close box
            QPointer<frmAbout> shown;
            int clicks = 0;
            // The box runs its own event loop: look at it and close it from inside.
            // A box left open by a failed check is closed later, so as not to hang.
            QTimer::singleShot(0, [&] {
                shown = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
                QVERIFY(shown && QTest::qWaitForWindowActive(shown));
                connect(shown->cmdOK, &QPushButton::clicked, [&] { ++clicks; });
                QCOMPARE(program->windows.count(), 2);
                QCOMPARE(shown->focusWidget(), shown->cmdOK);
                if (how > 0)
                    QTest::keyClick(shown->windowHandle(), Qt::Key(how));
                else if (how == 0)
                    QTest::mouseClick(shown->cmdOK, Qt::LeftButton);
                else
                    shown->close();
            });
            QTimer::singleShot(5000, [] {
                if (QWidget *w = QApplication::activeModalWidget())
                    w->close();
            });
            window->findChild<QAction *>("mnuHelpAbout")->trigger();
            QCOMPARE(clicks, 1);
            QTRY_VERIFY(shown.isNull());
            QCOMPARE(program->windows.count(), 1);
        }
    }
};

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
