// The artwork as the program loads it: every picture really draws something,
// and every window carries the application icon.
#include <QtTest>
#include <QtWidgets>

#include "about/qt/frmAbout.h"
#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "main/qt/toolbar_images.h"
#include "ui/qt/artwork.h"
#include "support/test_program.h"

using namespace tramsel;

class tst_artwork : public QObject {
    Q_OBJECT

private slots:
    // A missing image or image plugin gives an empty picture and no error. The
    // toolbar's light grey background is gone, and none of it is left.
    void picturesDrawAt16()
    {
        for (const auto &[name, icon, onGrey] :
             {std::tuple("application", applicationIcon(), false), {"about", aboutIcon(), false},
              {"Find", QIcon(toolbarImage("Find")), true}, {"Delete", QIcon(toolbarImage("Delete")), true}}) {
            const QImage image = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), QSize(16, 16));
            int opaque = 0, grey = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    opaque += qAlpha(image.pixel(x, y)) == 255;
                    grey += qAlpha(image.pixel(x, y)) != 0 && QColor(image.pixel(x, y)) == QColor(192, 192, 192);
                }
            }
            QVERIFY2(opaque >= 40 && opaque < 16 * 16, name);
            QVERIFY2(!onGrey || (grey == 0 && qAlpha(image.pixel(0, 0)) == 0), name);
        }
    }

    void everyWindowCarriesTheApplicationIcon()
    {
        testing::TestProgram program;
        frmMain *window = startUp(program.services);
        window->findChild<QAction *>(QStringLiteral("mnuEnterUser"))->trigger();
        const std::unique_ptr<frmAbout> about(new frmAbout(window, program.windows));
        QCOMPARE(program.windows.count(), 3);
        const QImage expected = applicationIcon().pixmap(QSize(16, 16)).toImage();
        for (qsizetype i = 0; i < program.windows.count(); ++i) {
            const QWidget *w = program.windows.at(i);
            QVERIFY2(w->windowIcon().pixmap(QSize(16, 16)).toImage() == expected, qPrintable(w->objectName()));
        }
    }
};

QTEST_MAIN(tst_artwork)
#include "tst_artwork.moc"
