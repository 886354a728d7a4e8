#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace velmora {

// Twips (1/1440 inch) per device-independent pixel: 15 at 96 dots per inch.
struct TwipScale final
{
    double x = 15.0;
    double y = 15.0;

    static TwipScale fromDpi(double dpiX, double dpiY)
    {
        return TwipScale{dpiX > 0 ? 1440.0 / dpiX : 15.0, dpiY > 0 ? 1440.0 / dpiY : 15.0};
    }
};

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

// A font of the windows: face, size in points, weight. The face is asked
// for first; a face missing on the machine falls back through the font
// system.
QFont designFont(const QString &family, double pointSize, bool bold);

// A label of a design: its caption wraps at its width, from the top left,
// and is plain text, shown as written.
QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption);

} // namespace velmora
