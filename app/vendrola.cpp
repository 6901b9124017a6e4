#include "app/vendrola.h"

#include <algorithm>

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
    connect(form_.Picture1, &ui::PictureBox::KeyDown, this, &Vendrola::Picture1_KeyDown);
    connect(form_.Picture1, &ui::PictureBox::PartPress, this, &Vendrola::Picture1_PartPress);

    // What a screen reader hears: the series headers name their colour, the
    // list items their month, and the month labels can be pressed.
    QStringList months;
    for (const char *month : chart::kSpokenMonths)
        months << QString::fromUtf8(month);
    for (int i = 0; i < chart::kSeriesCount; ++i) {
        form_.Label2(i).setAccessibleColourNames(
            QString::fromUtf8("Серия %1").arg(i + 1, 2, 10, QLatin1Char('0')), kColourNames);
        form_.List1(i).setItemLabels(months);
    }
    for (int j = kFirstMonthLabel; j <= kLastMonthLabel; ++j)
        form_.Label1(j).setPressable(true);
}

void Vendrola::Form_Load()
{
    form_.Picture1->setAutoRedraw(true);
    ui::Randomize();
    ResetChart();
    for (int k = 0; k < kColourButtons; ++k) {
        form_.Command1(k).setBackColor(kPalette[k]);
        form_.Command1(k).setAccessibleBaseName(QString::fromUtf8("Цвят ") +
                                                QString::fromUtf8(kColourNames[k].name));
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
    updateSpokenMonths();
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
    updateSpokenMonths();
}

void Vendrola::Picture1_KeyDown(ui::Key key)
{
    constexpr int kLastMonth = chart::kMonthCount - 1;
    // The month selected now, as the first list shows it; none selected,
    // Right starts at January and Left at December.
    const int month = form_.List1(0).ListIndex();
    int next = 0;
    switch (key) {
    case ui::Key::Left:
        next = month < 0 ? kLastMonth : std::max(month - 1, 0);
        break;
    case ui::Key::Right:
        next = month < 0 ? 0 : std::min(month + 1, kLastMonth);
        break;
    case ui::Key::Home:
        next = 0;
        break;
    case ui::Key::End:
        next = kLastMonth;
        break;
    }
    Label1_Click(static_cast<ui::Integer>(next + kFirstMonthLabel));
}

void Vendrola::Picture1_PartPress(int month)
{
    Label1_Click(static_cast<ui::Integer>(month + kFirstMonthLabel));
}

void Vendrola::updateSpokenMonths()
{
    // For a screen reader the chart's parts are its months, each with its
    // four values as the lists show them, and the selected month is the one
    // reached.
    QStringList months;
    for (int j = 0; j < chart::kMonthCount; ++j) {
        QStringList values;
        for (int i = 0; i < chart::kSeriesCount; ++i)
            values << form_.List1(i).List(j);
        months << QString::fromUtf8(chart::kSpokenMonths[j]) + QStringLiteral(": ") +
                      values.join(QStringLiteral(", "));
    }
    form_.Picture1->setAccessibleParts(months, form_.List1(0).ListIndex());
}

} // namespace app
