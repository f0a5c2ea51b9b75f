// The artwork: the application icon file holds the four images Windows
// expects, and every picture the program shows really draws something.
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>

#include "about/qt/frmAbout.h"
#include "enter_user/qt/frmEnterUser.h"
#include "main/qt/frmMain.h"
#include "main/qt/toolbar_images.h"
#include "platform/qt/artwork.h"
#include "tests/main/test_program.h"

using namespace tramsel;

namespace {

const QString kResources = QStringLiteral(TRAMSEL_RESOURCES_DIR);

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
    void icoHoldsFourImages();
    void picturesDrawAt16_data();
    void picturesDrawAt16();
    void themeIconsHaveTheirSizes();
    void sixteenColourPictures();
    void everyWindowCarriesTheApplicationIcon();
};

void tst_artwork::icoHoldsFourImages()
{
    QFile file(kResources + QStringLiteral("/icons/tramsel.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);

    quint16 reserved, type, count;
    in >> reserved >> type >> count;
    QCOMPARE(reserved, quint16(0));
    QCOMPARE(type, quint16(1));
    QCOMPARE(count, quint16(4));

    // Width and height, colour depth: from the directory and again from each
    // image's own bitmap header, which is what Windows draws from.
    QSet<QPair<int, int>> seen;
    for (int i = 0; i < count; ++i) {
        quint8 width, height, colours, zero;
        quint16 planes, bits;
        quint32 length, offset;
        in >> width >> height >> colours >> zero >> planes >> bits >> length >> offset;
        QCOMPARE(in.status(), QDataStream::Ok);
        QCOMPARE(width, height);
        QCOMPARE(colours, quint8(bits == 4 ? 16 : 0));
        QVERIFY(offset + length <= quint32(bytes.size()));

        QDataStream image(bytes.mid(offset, length));
        image.setByteOrder(QDataStream::LittleEndian);
        quint32 headerSize;
        qint32 bmpWidth, bmpHeight;
        quint16 bmpPlanes, bmpBits;
        image >> headerSize >> bmpWidth >> bmpHeight >> bmpPlanes >> bmpBits;
        QCOMPARE(headerSize, quint32(40));
        QCOMPARE(bmpWidth, qint32(width));
        QCOMPARE(bmpHeight, qint32(2 * height));  // the colour bitmap and its mask
        QCOMPARE(bmpBits, bits);
        // Palette, colour bitmap (rows padded to 4 bytes) and the 1-bit mask.
        const int stride = (width * bits + 31) / 32 * 4;
        const int maskStride = (width + 31) / 32 * 4;
        QCOMPARE(length, quint32(40 + 4 * (1 << bits) + (stride + maskStride) * height));
        seen.insert({width, bits});
    }
    QCOMPARE(seen, (QSet<QPair<int, int>>{{32, 4}, {16, 4}, {32, 8}, {16, 8}}));

    // Qt reads all four (through its ico plugin) into pictures with content.
    QImageReader reader(file.fileName());
    QCOMPARE(reader.imageCount(), 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QVERIFY(image.width() == 32 || image.width() == 16);
        QVERIFY(opaquePixels(image.convertToFormat(QImage::Format_ARGB32)) > image.width() * image.height() / 3);
        QVERIFY(image.hasAlphaChannel());
    }
}

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

void tst_artwork::themeIconsHaveTheirSizes()
{
    QVERIFY(toolbarImage("Separator").isNull());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage image(kResources + QStringLiteral("/icons/hicolor/%1x%1/apps/tramsel.png").arg(size));
        QCOMPARE(image.size(), QSize(size, size));
        // Only the theme files: the same pictures are compiled into the program.
        QVERIFY(applicationIcon().availableSizes().contains(QSize(size, size)));
    }
}

void tst_artwork::sixteenColourPictures()
{
    for (const char *name : {":/icons/about-32.png", ":/icons/about-16.png", ":/toolbar/Find.png",
                             ":/toolbar/Delete.png"}) {
        const QImage image(QString::fromLatin1(name));
        QVERIFY2(image.format() == QImage::Format_Indexed8, name);
        QVERIFY2(image.colorCount() > 1 && image.colorCount() <= 16, name);
    }
    QCOMPARE(QImage(":/icons/about-32.png").size(), QSize(32, 32));
    QCOMPARE(QImage(":/icons/about-16.png").size(), QSize(16, 16));
}

void tst_artwork::everyWindowCarriesTheApplicationIcon()
{
    testing::TestProgram program;
    frmMain *window = startUp(program.services);
    QVERIFY(QMetaObject::invokeMethod(window, "mnuEnterUser_Click"));
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
