#include "assets/producticon.h"

#include <array>
#include <string_view>

namespace velmora {
namespace {

// The 16 colours of the classic VGA palette, in their usual order.
constexpr std::array<QRgb, 16> Vga = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};

// One letter a pixel: '.' transparent, else the palette entry it names.
constexpr QRgb colourOf(char letter)
{
    switch (letter) {
    case 'N': return Vga[4];  // navy: the card's border
    case 'B': return Vga[12]; // blue: the card
    case 'W': return Vga[15]; // white: the line numbers
    case 'S': return Vga[7];  // silver: the lines' text
    case 'Y': return Vga[11]; // yellow: the picked line
    case 'R': return Vga[9];  // red: the exchange arrow
    case 'G': return Vga[8];  // grey: the card's shadow
    default: return 0;        // transparent
    }
}

constexpr std::array<std::string_view, 32> Picture32 = {
    "NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN.",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBWBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBWWBBBSSSSSSSSSSSSSBBBBBBBBBNG",
    "NBBBWBBBSSSSSSSSSSSSSBRRRRBBBBNG",
    "NBBBWBBBSSSSSSSSSSSSSBRRRRRBBBNG",
    "NBBWWWBBBBBBBBBBBBBBBBBBBRRRBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBRRRBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBYYYBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBBBYBBYYYYYYYYYBBBBBBBBBBRRBNG",
    "NBBYYYBBYYYYYYYYYBBBBBBBBBBRRBNG",
    "NBBYBBBBYYYYYYYYYBBBBBBBBBBRRBNG",
    "NBBYYYBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBRRBNG",
    "NBBBBBBBBBBBBBBBBBBBBRBBBBRRRBNG",
    "NBBWWWBBBBBBBBBBBBBBRRBBBRRRBBNG",
    "NBBBBWBBSSSSSSSSSBBRRRRRRRRBBBNG",
    "NBBWWWBBSSSSSSSSSBBRRRRRRRBBBBNG",
    "NBBBBWBBSSSSSSSSSBBBRRBBBBBBBBNG",
    "NBBWWWBBBBBBBBBBBBBBBRBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBBBBBBBBBBBBBBBBBNG",
    "NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNG",
    ".GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG",
};

constexpr std::array<std::string_view, 16> Picture16 = {
    "NNNNNNNNNNNNNNN.",
    "NBBBBBBBBBBBBBNG",
    "NBWBSSSSSSBBBBNG",
    "NBBBBBBBBBRRBBNG",
    "NBBBBBBBBBBBRBNG",
    "NBBBBBBBBBBBRBNG",
    "NBYBYYYYBBBBRBNG",
    "NBBBBBBBBBBBRBNG",
    "NBBBBBBBBBBBRBNG",
    "NBBBBBBBBRBBRBNG",
    "NBWBSSSBRRRRBBNG",
    "NBBBBBBBBRBBBBNG",
    "NBBBBBBBBBBBBBNG",
    "NBBBBBBBBBBBBBNG",
    "NNNNNNNNNNNNNNNG",
    ".GGGGGGGGGGGGGGG",
};

// In black and white the card turns to paper and all drawn on it to ink.
QRgb monoOf(char letter)
{
    return letter == 'B' ? Vga[15] : Vga[0];
}

template <std::size_t N>
QImage indexedImage(const std::array<std::string_view, N> &rows, const QList<QRgb> &palette, bool mono)
{
    QList<QRgb> table = palette;
    const int transparent = int(table.size());
    table.append(qRgba(0, 0, 0, 0));
    constexpr int side = static_cast<int>(N);
    QImage image(side, side, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const char letter = rows[std::size_t(y)][std::size_t(x)];
            const QRgb colour = mono ? monoOf(letter) : colourOf(letter);
            image.setPixel(x, y, letter == '.' ? transparent : int(table.indexOf(colour)));
        }
    }
    return image;
}

} // namespace

QList<QRgb> productIconPalette(IconImage which)
{
    if (which == IconImage::Mono32)
        return {Vga[0], Vga[15]};
    return QList<QRgb>(Vga.begin(), Vga.end());
}

QImage productIconImage(IconImage which)
{
    switch (which) {
    case IconImage::Colour32: return indexedImage(Picture32, productIconPalette(which), false);
    case IconImage::Mono32: return indexedImage(Picture32, productIconPalette(which), true);
    case IconImage::Colour16: return indexedImage(Picture16, productIconPalette(which), false);
    }
    return {};
}

QImage productIconAt(int size)
{
    if (size <= 0)
        return {};
    const bool fromSmall = size < 32 || (size % 32 != 0 && size % 16 == 0);
    const QImage source = productIconImage(fromSmall ? IconImage::Colour16 : IconImage::Colour32);
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    if (size == source.width())
        return argb;
    return argb.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QPixmap productPixmap(int size)
{
    return QPixmap::fromImage(productIconAt(size));
}

QIcon productIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(productIconImage(IconImage::Colour32)));
    icon.addPixmap(QPixmap::fromImage(productIconImage(IconImage::Colour16)));
    return icon;
}

} // namespace velmora
