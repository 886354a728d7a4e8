#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace velmora {

// Geometry of the designs is in twips (1/1440 inch): 15 twips a pixel at
// 96 dots per inch, following the screen's logical DPI. The arithmetic
// stays in twips; conversion happens here, at the edge, rounding once.
namespace Twips {
double perPixelX();
double perPixelY();
int toPixelsX(int twips);
int toPixelsY(int twips);
int fromPixelsX(int pixels);
int fromPixelsY(int pixels);
QRect toPixels(int left, int top, int width, int height);
// Places a control by its design box.
void place(QWidget *widget, int left, int top, int width, int height);
} // namespace Twips

// A design font: face, size in points, weight. The face is asked for
// first; a face missing on the machine falls back through the font system.
QFont designFont(const QString &family, double pointSize, bool bold);

// A label of a design: its caption wraps at its width, from the top left.
QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption);

} // namespace velmora
