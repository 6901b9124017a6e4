#include "ui/twips.h"

#include <cmath>

namespace ui {

int twipsToPixels(int twips)
{
    return twipsToDevicePixels(twips, 1.0);
}

QRect twipsToPixelRect(int left, int top, int width, int height)
{
    const int x1 = twipsToPixels(left);
    const int y1 = twipsToPixels(top);
    const int x2 = twipsToPixels(left + width);
    const int y2 = twipsToPixels(top + height);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

int twipsToDevicePixels(double twips, double devicePixelRatio)
{
    return static_cast<int>(std::floor(twips * devicePixelRatio / kTwipsPerPixel + 0.5));
}

} // namespace ui
