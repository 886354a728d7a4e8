#include "platform/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace velmora {
namespace {

constexpr double TwipsPerInch = 1440.0;

double logicalDpi(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? (horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY()) : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

} // namespace

namespace Twips {

double perPixelX() { return TwipsPerInch / logicalDpi(true); }
double perPixelY() { return TwipsPerInch / logicalDpi(false); }
int toPixelsX(int twips) { return int(std::lround(twips / perPixelX())); }
int toPixelsY(int twips) { return int(std::lround(twips / perPixelY())); }
int fromPixelsX(int pixels) { return int(std::lround(pixels * perPixelX())); }
int fromPixelsY(int pixels) { return int(std::lround(pixels * perPixelY())); }

QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(toPixels(left, top, width, height));
}

} // namespace Twips

QFont designFont(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace velmora
