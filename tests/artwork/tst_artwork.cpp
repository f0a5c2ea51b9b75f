// The artwork as the program loads it: every picture really draws something,
// and every window carries the application icon.
#include <QAction>
#include <QImage>
#include <QTest>

#include "about/qt/frmAbout.h"
#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "main/qt/toolbar_images.h"
#include "ui/qt/artwork.h"
#include "support/test_program.h"

using namespace tramsel;

namespace {

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 255;
    return count;
}

} // namespace

class tst_artwork : public QObject {
    Q_OBJECT

private slots:
    void picturesDrawAt16_data();
    void picturesDrawAt16();
    void everyWindowCarriesTheApplicationIcon();
};

void tst_artwork::picturesDrawAt16_data()
{
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<bool>("onGrey");
    QTest::newRow("application") << applicationIcon() << false;
    QTest::newRow("about") << aboutIcon() << false;
    QTest::newRow("toolbar Find") << QIcon(toolbarImage("Find")) << true;
    QTest::newRow("toolbar Delete") << QIcon(toolbarImage("Delete")) << true;
}

void tst_artwork::picturesDrawAt16()
{
    QFETCH(QIcon, icon);
    QFETCH(bool, onGrey);
    // A missing image or image plugin gives an empty picture and no error.
    const QImage image = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(16, 16));
    QVERIFY(opaquePixels(image) >= 40);
    QVERIFY(opaquePixels(image) < 16 * 16);
    if (onGrey) {
        // The light grey they are drawn on is gone, and none is left.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QVERIFY(qAlpha(image.pixel(x, y)) == 0 || QColor(image.pixel(x, y)) != QColor(192, 192, 192));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
}

void tst_artwork::everyWindowCarriesTheApplicationIcon()
{
    testing::TestProgram program;
    frmMain *window = startUp(program.services);
    window->findChild<QAction *>(QStringLiteral("mnuEnterUser"))->trigger();
    auto *about = new frmAbout(window, program.windows);
    QCOMPARE(program.windows.count(), 3);

    const QImage expected = applicationIcon().pixmap(QSize(16, 16)).toImage();
    for (qsizetype i = 0; i < program.windows.count(); ++i) {
        const QWidget *w = program.windows.at(i);
        QVERIFY2(w->windowIcon().pixmap(QSize(16, 16)).toImage() == expected, qPrintable(w->objectName()));
    }
    delete about;
}

QTEST_MAIN(tst_artwork)
#include "tst_artwork.moc"
