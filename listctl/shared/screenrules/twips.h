#pragma once

#include <QRect>

#include <cmath>

namespace screenrules {

// Twips (1/1440 inch) per device-independent pixel, as a screen's logical
// resolution gives them: 15 at 96 dots per inch.
struct TwipScale final
{
    double x = 15.0;
    double y = 15.0;

    static TwipScale fromDpi(double dpiX, double dpiY)
    {
        return TwipScale{dpiX > 0 ? 1440.0 / dpiX : 15.0, dpiY > 0 ? 1440.0 / dpiY : 15.0};
    }
};

// Whole pixels for a twip value, rounded once (a half away from zero): what
// a control really takes when asked for it.
inline int twipsToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// A box in twips as whole pixels: each edge rounded once, with its own
// axis's scale (left and width across, top and height down).
inline QRect twipsToPixelRect(double left, double top, double width, double height,
                              TwipScale scale)
{
    return QRect(twipsToPixels(left, scale.x), twipsToPixels(top, scale.y),
                 twipsToPixels(width, scale.x), twipsToPixels(height, scale.y));
}

// Whole twips for a pixel value, rounded once.
inline int pixelsToTwips(int pixels, double twipsPerPixel)
{
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}

// The twip value a control reports back after snapping to whole pixels.
inline double snapTwips(double twips, double twipsPerPixel)
{
    return twipsToPixels(twips, twipsPerPixel) * twipsPerPixel;
}

// The twip value of the whole pixels that fit in a size: a control snapped
// down never grows into the free strip beside it.
inline double snapTwipsDown(double twips, double twipsPerPixel)
{
    // The small allowance keeps an exact multiple (326 × 12) from losing a
    // pixel to the division's rounding.
    return std::floor(twips / twipsPerPixel + 1e-9) * twipsPerPixel;
}

} // namespace screenrules
