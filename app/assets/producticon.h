#pragma once

#include <QIcon>
#include <QPixmap>

namespace velmora {

// The product's picture: three numbered lines on a blue card, two of them
// joined by the exchange arrow. Drawn in the 16 standard colours so it reads
// the same at 16 × 16 and at 32 × 32.
QPixmap productPixmap(int size);
// The program icon in its three images (32 × 32 and 16 × 16).
QIcon productIcon();

} // namespace velmora
