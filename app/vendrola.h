#pragma once

// Vendrola's window: a bar chart of a web site's traffic over twelve months
// in four series, with random data.
//
//   ui::Form        the window and its controls, built from the layout table;
//                   the only code that touches Qt widgets (ui/).
//   app::Vendrola   the window's state (nextSeries, seriesColor) and its event
//                   handlers, written against the controls' operations (app/).
//   chart::DrawChart  turns the data lists and colours into bars (chart/).
//
// The data live in the four list boxes, the palette and which colours are
// still free in the colour buttons, and the chart in the picture's image.

#include "chart/drawchart.h"
#include "ui/form.h"

#include <QObject>

#include <array>

namespace app {

// The colour buttons' faces, in button order (colours 0x00BBGGRR): red, olive
// khaki, salmon, dark green, azure, sea green, purple red, magenta.
inline constexpr std::array<ui::Long, 8> kPalette = {
    0x000000FF, 0x005F9EA0, 0x006495ED, 0x00006400, 0x00FF8C00, 0x008FBC8B, 0x009400D3, 0x00FF00FF,
};
// The same colours by name, as a screen reader says them.
inline constexpr std::array<const char *, 8> kPaletteNames = {
    "червен",  "маслинено каки", "сьомга",         "тъмнозелен",
    "лазурен", "морскозелен",    "пурпурночервен", "магента",
};
inline constexpr ui::Long kHeaderWhite = 0x00FFFFFF;

// A data value from one uniform draw r in [0, 1): r x 100 rounded to the
// nearest whole number (halves to even), folded onto 10..99.
ui::Integer valueFromScaledDraw(ui::Single scaled);
ui::Integer valueFromDraw(ui::Single draw);

class Vendrola : public QObject
{
    Q_OBJECT
public:
    explicit Vendrola(QObject *parent = nullptr);

    ui::Form &form() { return form_; }
    void show() { form_.show(); }

    ui::Long NextSeries() const { return nextSeries; }
    ui::Long SeriesColor(int series) const { return seriesColor(series); }

    void Form_Load();
    void ResetChart();
    void Command1_Click(ui::Integer Index);
    void Command3_Click(ui::Integer Index);
    void Label1_Click(ui::Integer Index);

private:
    ui::Form form_;
    // The series that the next chosen colour goes to, 0..3.
    ui::Long nextSeries = 0;
    // The colour chosen for each series; 0 (black) while none is chosen.
    chart::SeriesColors seriesColor{"seriesColor"};
};

} // namespace app
