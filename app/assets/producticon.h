#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace velmora {

// The program icon's three images, as a 16-colour display and a
// monochrome one pick them.
enum class IconImage {
    Colour32, // 32 × 32, the 16 classic VGA colours
    Mono32,   // 32 × 32, black and white
    Colour16, // 16 × 16, the 16 classic VGA colours
};

// The product's picture: three numbered lines on a blue card, the middle
// one picked (yellow), the first and the last joined by the exchange
// arrow. Each image is an indexed picture over its palette; pixels outside
// the card are transparent.
QImage productIconImage(IconImage which);
// The 16-colour (or 2-colour) palette an image of that kind is drawn in.
QList<QRgb> productIconPalette(IconImage which);

// The picture at any size for the desktop's icon theme: the 16 × 16 or the
// 32 × 32 image enlarged by whole pixels where the size allows, so the
// pixels stay sharp.
QImage productIconAt(int size);
// The splash window's picture: the 32 × 32 16-colour image, or the icon
// at another size.
QPixmap productPixmap(int size);
// The program icon: its 16-colour images, 32 × 32 and 16 × 16 (the
// monochrome image is for 2-colour displays only).
QIcon productIcon();

} // namespace velmora
