// velmora-artwork: draws the program's pictures.
//
//   velmora-artwork help-page FILE.bmp   the help page (kept in app/assets)
//   velmora-artwork icons FOLDER         the icon theme's PNGs, FOLDER/hicolor/<n>x<n>/apps/velmora.png
//
// The help page is two colours only: its text is drawn without smoothing
// and then cut to ink or paper, and it is written as a 24-bit uncompressed
// bitmap at 96 dots per inch.

#include "assets/helppage.h"
#include "assets/producticon.h"

#include <QDir>
#include <QSaveFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int PageWidth = 504;
constexpr int PageHeight = 491;
constexpr QRgb Paper = 0xffffff80; // pale yellow
constexpr QRgb Ink = 0xff000000;
constexpr int Margin = 14;
constexpr int FontPixels = 17;
constexpr int LineStep = 25;
constexpr int PixelsPerMetre = 3780; // 96 dots per inch

int fail(const QString &message)
{
    std::fprintf(stderr, "velmora-artwork: %s\n", qPrintable(message));
    return 1;
}

QFont pageFont()
{
    QFont font(u"DejaVu Serif"_s);
    font.setFamilies({u"DejaVu Serif"_s, u"Liberation Serif"_s, u"Times New Roman"_s});
    font.setStyleHint(QFont::Serif, QFont::NoAntialias);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setPixelSize(FontPixels);
    return font;
}

// The page drawn, then every pixel cut to ink or paper.
std::optional<QImage> drawHelpPage(QString &error)
{
    const QStringList lines = velmora::helpPageLines();
    const QFont font = pageFont();
    const QFontMetrics metrics(font);
    QImage page(PageWidth, PageHeight, QImage::Format_RGB32);
    page.fill(Paper);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(Ink));
    int baseline = Margin + metrics.ascent();
    for (const QString &line : lines) {
        const int width = metrics.horizontalAdvance(line);
        if (width > PageWidth - 2 * Margin) {
            error = u"the line \"%1\" is %2 pixels wide; %3 fit"_s.arg(line).arg(width).arg(PageWidth - 2 * Margin);
            return std::nullopt;
        }
        painter.drawText(Margin, baseline, line);
        baseline += LineStep;
    }
    painter.end();

    for (int y = 0; y < PageHeight; ++y) {
        auto *row = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < PageWidth; ++x)
            row[x] = qGray(row[x]) < 128 ? Ink : Paper;
    }
    // The lower fifth stays empty: the OK button sits there.
    for (int y = PageHeight - PageHeight / 5; y < PageHeight; ++y) {
        for (int x = 0; x < PageWidth; ++x) {
            if (page.pixel(x, y) != Paper) {
                error = u"the text runs into the lower fifth (row %1)"_s.arg(y);
                return std::nullopt;
            }
        }
    }
    return page;
}

int writeHelpPage(const QString &path)
{
    const QFontInfo used(pageFont());
    std::fprintf(stderr, "velmora-artwork: the help page in %s\n", qPrintable(used.family()));
    QString error;
    const std::optional<QImage> page = drawHelpPage(error);
    if (!page)
        return fail(error);
    // Written as a 24-bit uncompressed bitmap at 96 dots per inch.
    QImage bitmap = page->convertToFormat(QImage::Format_RGB888);
    bitmap.setDotsPerMeterX(PixelsPerMetre);
    bitmap.setDotsPerMeterY(PixelsPerMetre);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !bitmap.save(&file, "BMP") || !file.commit())
        return fail(u"cannot write %1: %2"_s.arg(path, file.errorString()));
    return 0;
}

int writeIcons(const QString &folder)
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = u"%1/hicolor/%2x%2/apps"_s.arg(folder).arg(size);
        if (!QDir().mkpath(dir))
            return fail(u"cannot make the folder %1"_s.arg(dir));
        const QString path = dir + u"/velmora.png"_s;
        if (!velmora::productIconAt(size).save(path, "PNG"))
            return fail(u"cannot write %1"_s.arg(path));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora-artwork help-page FILE.bmp | icons FOLDER\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (mode == u"icons"_s) {
        QCoreApplication app(argc, argv);
        return writeIcons(target);
    }
    if (mode == u"help-page"_s) {
        // Text needs a font system; no screen is needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return writeHelpPage(target);
    }
    std::fprintf(stderr, "velmora-artwork: unknown mode %s\n", argv[1]);
    return 2;
}
