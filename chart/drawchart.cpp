#include "chart/drawchart.h"

#include "ui/form.h"

namespace chart {

ColorBytes splitColor(ui::Long color)
{
    const ui::Long red = color % 256;
    const ui::Long g = ui::CLng((color - red) / 256.0);
    const ui::Long green = g % 256;
    const ui::Long b = ui::CLng((g - green) / 256.0);
    const ui::Long blue = b % 256;
    return {static_cast<ui::Byte>(red), static_cast<ui::Byte>(green), static_cast<ui::Byte>(blue)};
}

ui::Double barTop(ui::Double value, ui::Integer height)
{
    // Multiply before dividing, in double precision, then round down.
    return ui::Int((100.0 - value) * height / 100.0);
}

namespace {

// What the chart shows, for a screen reader: each series' colour, as its
// header names it, then the bars' values month by month.
QString describeChart(ui::Form &form)
{
    QStringList colours;
    for (int k = 0; k < kSeriesCount; ++k)
        colours << QStringLiteral("%1 %2")
                       .arg(k + 1, 2, 10, QLatin1Char('0'))
                       .arg(form.Label2(k).colourName());
    QStringList months;
    for (int j = 0; j < kMonthCount; ++j) {
        QStringList values;
        for (int k = 0; k < kSeriesCount; ++k)
            values << form.List1(k).List(j);
        months << QString::fromUtf8(kSpokenMonths[j]) + QStringLiteral(": ") +
                      values.join(QStringLiteral(", "));
    }
    return QString::fromUtf8("Стълбовидна диаграма в %, по месеци. Серии: ") +
           colours.join(QStringLiteral(", ")) + QStringLiteral(". ") +
           months.join(QStringLiteral("; "));
}

} // namespace

void DrawChart(ui::Form &form, const SeriesColors &seriesColor)
{
    ui::CheckedArray<ColorBytes, 0, kSeriesCount - 1> colorParts{"colorParts"};
    for (int i = 0; i < kSeriesCount; ++i) {
        form.Label2(i).setBackColor(seriesColor(i));
        colorParts(i) = splitColor(seriesColor(i));
    }

    form.Picture1->setDrawWidth(kBarWidth);
    ui::Long x = 0;
    // The outer height, border included: the bars start at or just below the
    // bottom of the drawing area, which clips them.
    const ui::Integer H = ui::CInt(form.Picture1->Height());
    for (int j = 0; j < kMonthCount; ++j) {
        for (int k = 0; k < kSeriesCount; ++k) {
            x += kBarStep;
            const ui::Double v = ui::Val(form.List1(k).List(j));
            const ui::Double top = barTop(v, H);
            const ColorBytes &rgb = colorParts(k);
            form.Picture1->Line(static_cast<ui::Single>(x), H, static_cast<ui::Single>(x),
                                static_cast<ui::Single>(top), ui::RGB(rgb[0], rgb[1], rgb[2]));
        }
        x += kMonthGap;
    }
    form.Picture1->setAccessibleDescription(describeChart(form));
}

} // namespace chart
