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
inline constexpr ui::Long kHeaderWhite = 0x00FFFFFF;
// Every colour a series header can show, by the name a screen reader says:
// the palette in button order, black for a drawn series without a colour,
// and the white of a header whose series has no colour yet.
inline constexpr std::array<ui::ColourName, 10> kColourNames = {{
    {kPalette[0], "червен"},
    {kPalette[1], "маслинено каки"},
    {kPalette[2], "сьомга"},
    {kPalette[3], "тъмнозелен"},
    {kPalette[4], "лазурен"},
    {kPalette[5], "морскозелен"},
    {kPalette[6], "пурпурночервен"},
    {kPalette[7], "магента"},
    {0x00000000, "черен"},
    {kHeaderWhite, "без цвят"},
}};

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
    // The chart's month keys: Left and Right step to the previous and next
    // month, Home and End go to January and December, as a click on that
    // month's label would.
    void Picture1_KeyDown(ui::Key key);
    // A screen reader's press on one of the chart's months, as a click on
    // that month's label.
    void Picture1_PartPress(int month);

private:
    // What a screen reader hears of the chart's months follows the lists:
    // called whenever their values or the selected month change.
    void updateSpokenMonths();

    ui::Form form_;
    // The series that the next chosen colour goes to, 0..3.
    ui::Long nextSeries = 0;
    // The colour chosen for each series; 0 (black) while none is chosen.
    chart::SeriesColors seriesColor{"seriesColor"};
};

} // namespace app
