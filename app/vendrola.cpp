#include "app/vendrola.h"

namespace app {

namespace {

constexpr int kColourButtons = static_cast<int>(kPalette.size());
constexpr int kFirstMonthLabel = 2;
constexpr int kLastMonthLabel = kFirstMonthLabel + chart::kMonthCount - 1;
constexpr int kLowestValue = 10;
constexpr int kValueRange = 90; // values 10..99

} // namespace

ui::Integer valueFromScaledDraw(ui::Single scaled)
{
    const ui::Long n = ui::CLng(scaled);
    return static_cast<ui::Integer>(n % kValueRange + kLowestValue);
}

ui::Integer valueFromDraw(ui::Single draw)
{
    return valueFromScaledDraw(draw * 100.0f);
}

Vendrola::Vendrola(QObject *parent) : QObject(parent)
{
    connect(&form_, &ui::Form::Load, this, &Vendrola::Form_Load);
    connect(&form_.Command1, &ui::ControlArrayBase::Click, this, &Vendrola::Command1_Click);
    connect(&form_.Command3, &ui::ControlArrayBase::Click, this, &Vendrola::Command3_Click);
    connect(&form_.Label1, &ui::ControlArrayBase::Click, this, &Vendrola::Label1_Click);
}

void Vendrola::Form_Load()
{
    form_.Picture1->setAutoRedraw(true);
    ui::Randomize();
    ResetChart();
    for (int k = 0; k < kColourButtons; ++k) {
        form_.Command1(k).setBackColor(kPalette[k]);
        form_.Command1(k).setAccessibleBaseName(QString::fromUtf8("Цвят ") +
                                                QString::fromUtf8(kPaletteNames[k]));
    }
}

void Vendrola::ResetChart()
{
    for (int k = 0; k < kColourButtons; ++k)
        form_.Command1(k).setEnabled(true);
    form_.Picture1->Cls();
    nextSeries = 0;
    for (int i = 0; i < chart::kSeriesCount; ++i) {
        ui::ListBox &list = form_.List1(i);
        list.Clear();
        for (int j = 0; j < chart::kMonthCount; ++j)
            list.AddItem(ui::Str(valueFromDraw(ui::Rnd(100))));
        seriesColor(i) = 0;
        // Scroll to the first item, then show no selection.
        list.setListIndex(0);
        list.setListIndex(-1);
        form_.Label2(i).setBackColor(kHeaderWhite);
    }
}

void Vendrola::Command1_Click(ui::Integer Index)
{
    const ui::Long c = form_.Command1(Index).BackColor();
    seriesColor(nextSeries) = c;
    form_.Label2(nextSeries).setBackColor(form_.Command1(Index).BackColor());
    nextSeries = (nextSeries + 1) % chart::kSeriesCount;
    form_.Command1(Index).setEnabled(false);
}

void Vendrola::Command3_Click(ui::Integer Index)
{
    switch (Index) {
    case 0:
        chart::DrawChart(form_, seriesColor);
        break;
    case 1:
        ResetChart();
        break;
    default:
        break;
    }
}

void Vendrola::Label1_Click(ui::Integer Index)
{
    if (Index < kFirstMonthLabel || Index > kLastMonthLabel)
        return;
    for (int i = 0; i < chart::kSeriesCount; ++i)
        form_.List1(i).setListIndex(Index - kFirstMonthLabel);
}

} // namespace app
