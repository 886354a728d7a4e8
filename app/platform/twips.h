#pragma once

#include "screenrules/twips.h"

#include <QRect>

class QWidget;

namespace velmora {

using screenrules::TwipScale;

// The windows' geometry is in twips. The arithmetic stays in twips;
// conversion happens here, at the edge, rounding once. The scale is taken
// once, from the primary screen's logical resolution when first needed,
// and kept with the application object; setScale replaces it (tests, or
// a move to another screen). Without an application object it is 15.
namespace Twips {
TwipScale scale();
void setScale(TwipScale scale);
double perPixelX();
double perPixelY();
int toPixelsX(int twips);
int toPixelsY(int twips);
int fromPixelsX(int pixels);
int fromPixelsY(int pixels);
QRect toPixels(int left, int top, int width, int height);
// Places a control by its box in twips.
void place(QWidget *widget, int left, int top, int width, int height);
} // namespace Twips

} // namespace velmora
