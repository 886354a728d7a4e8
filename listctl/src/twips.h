#pragma once

#include <cmath>

namespace tabulo {

// Twips (1/1440 inch) per device-independent pixel, as the screen's logical
// resolution gives them: 15 at 96 dpi.
struct TwipScale final
{
    double x = 15.0;
    double y = 15.0;

    static TwipScale fromDpi(double dpiX, double dpiY)
    {
        return TwipScale{dpiX > 0 ? 1440.0 / dpiX : 15.0, dpiY > 0 ? 1440.0 / dpiY : 15.0};
    }
};

// Whole pixels for a twip value; what a label really takes when asked for it.
inline int twipsToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// The twip value a label reports back after snapping to whole pixels.
inline double snapTwips(double twips, double twipsPerPixel)
{
    return twipsToPixels(twips, twipsPerPixel) * twipsPerPixel;
}

} // namespace tabulo
