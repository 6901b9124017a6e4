#pragma once

// The look the window is designed in: the Fusion style with its standard
// light palette, whatever style and colour scheme the desktop uses. The
// layout's colours are chosen against it, so a dark scheme must not turn
// the chart's background dark or the buttons' captions white.

#include <QColor>
#include <QPalette>

class QStyle;

namespace ui {

QStyle *designedStyle();
QPalette designedPalette();

// WCAG's contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);
// Black or white, whichever has the higher contrast against the background.
QColor inkFor(const QColor &background);

} // namespace ui
