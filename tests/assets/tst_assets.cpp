#include "assets/helppage.h"
#include "assets/producticon.h"

#include <QImage>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

QSet<QRgb> opaqueColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                colours.insert(pixel);
            else if (qAlpha(pixel) != 0)
                colours.insert(0); // a half-transparent pixel: never wanted
        }
    }
    return colours;
}

} // namespace

class tst_Assets final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The committed page as a bitmap reader sees it: 504 × 491 at 96 dots
    // per inch (3780 dots per metre), opaque, two colours, text in the upper
    // four fifths and nothing below.
    void helpPageBitmap()
    {
        QImage page;
        QVERIFY(page.load(QStringLiteral(VELMORA_ASSETS_DIR "/helppage.bmp"), "BMP"));
        QCOMPARE(page.size(), QSize(504, 491));
        QCOMPARE(page.dotsPerMeterX(), 3780);
        QCOMPARE(page.dotsPerMeterY(), 3780);
        QVERIFY(!page.hasAlphaChannel());

        const QRgb paper = qRgb(255, 255, 128);
        const QRgb ink = qRgb(0, 0, 0);
        int inkAbove = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QRgb pixel = page.pixel(x, y);
                if (pixel != paper && pixel != ink)
                    QFAIL(qPrintable(u"a third colour at %1, %2"_s.arg(x).arg(y)));
                if (pixel == ink && y >= page.height() - page.height() / 5)
                    QFAIL(qPrintable(u"ink in the lower fifth at %1, %2"_s.arg(x).arg(y)));
                inkAbove += pixel == ink;
            }
        }
        QVERIFY(inkAbove > 1000);

        // The program finds the same page in its resources.
        QCOMPARE(helpPagePixmap().size(), QSize(504, 491));
        QCOMPARE(helpPageLines().size(), 15);
        QVERIFY(!helpPageLines().contains(QString()));
    }

    void iconImages_data()
    {
        QTest::addColumn<IconImage>("which");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("paletteSize");
        QTest::newRow("32 × 32, 16 colours") << IconImage::Colour32 << 32 << 16;
        QTest::newRow("32 × 32, 2 colours") << IconImage::Mono32 << 32 << 2;
        QTest::newRow("16 × 16, 16 colours") << IconImage::Colour16 << 16 << 16;
    }
    void iconImages()
    {
        QFETCH(IconImage, which);
        QFETCH(int, size);
        QFETCH(int, paletteSize);
        const QImage image = productIconImage(which);
        QCOMPARE(image.size(), QSize(size, size));
        const QList<QRgb> palette = productIconPalette(which);
        QCOMPARE(palette.size(), paletteSize);
        const QSet<QRgb> colours = opaqueColours(image);
        for (const QRgb colour : colours)
            QVERIFY2(palette.contains(colour), qPrintable(QString::number(colour, 16)));
        QVERIFY(colours.size() >= 2);
        if (paletteSize == 2)
            QCOMPARE(palette, (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    }

    // The desktop's icon theme: drawn at build time, each at its size and
    // in the 16 colours.
    void themeIcons_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }
    void themeIcons()
    {
#ifndef VELMORA_ICONS_DIR
        QSKIP("The icon theme is drawn for the Linux desktop only");
#else
        QFETCH(int, size);
        const QString path = QStringLiteral(VELMORA_ICONS_DIR) + u"/hicolor/%1x%1/apps/velmora.png"_s.arg(size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
        const QList<QRgb> palette = productIconPalette(IconImage::Colour32);
        for (const QRgb colour : opaqueColours(image))
            QVERIFY(palette.contains(colour));
#endif
    }
};

} // namespace velmora

QTEST_MAIN(velmora::tst_Assets)
#include "tst_assets.moc"
