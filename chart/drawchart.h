#pragma once

// Draws the bar chart: for each of the twelve months, left to right, four
// vertical bars (series 01 to 04) side by side, each as tall as its value's
// percentage of the picture's height, in its series' colour.

#include "ui/runtime.h"

#include <array>

namespace ui {
class Form;
}

namespace chart {

using SeriesColors = ui::CheckedArray<ui::Long, 0, 3>;
using ColorBytes = std::array<ui::Byte, 3>; // red, green, blue

inline constexpr int kSeriesCount = 4;
inline constexpr int kMonthCount = 12;
inline constexpr int kBarStep = 60;   // twips from one bar to the next
inline constexpr int kMonthGap = 300; // twips added after each month's four bars
inline constexpr int kBarWidth = 3;   // device pixels

// The months as a screen reader says them, January first.
inline constexpr std::array<const char *, kMonthCount> kSpokenMonths = {
    "януари", "февруари", "март",      "април",    "май",     "юни",
    "юли",    "август",   "септември", "октомври", "ноември", "декември",
};

// Splits a colour 0x00BBGGRR into its bytes by repeated whole-number division.
ColorBytes splitColor(ui::Long color);
// The y of a bar's top for value v on a picture of height H twips.
ui::Double barTop(ui::Double value, ui::Integer height);

// Paints the series headers in their colours (black where none is chosen)
// and draws the 48 bars over whatever the picture shows; it never clears it.
void DrawChart(ui::Form &form, const SeriesColors &seriesColor);

} // namespace chart
