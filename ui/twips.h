#pragma once

// Twips are the unit of the window's layout and of the chart: 1/1440 inch,
// which is 15 twips per logical pixel at 96 DPI. Qt scales logical pixels to
// device pixels on high-DPI screens (at a device-pixel ratio of 1.25 one
// device pixel is 12 twips), so the layout converts twips to logical pixels
// and only the chart's picture, which keeps its image in device pixels,
// converts twips to device pixels.

#include <QRect>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;

// A twip position maps to the nearest logical pixel. A control's size is the
// distance between its rounded edges, not its rounded size, so controls that
// touch in twips touch on screen and overlaps stay exactly as designed.
int twipsToPixels(int twips);
QRect twipsToPixelRect(int left, int top, int width, int height);

// A drawing position in twips maps to the nearest device pixel, halves up.
int twipsToDevicePixels(double twips, double devicePixelRatio);

} // namespace ui
