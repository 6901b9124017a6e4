#include "ui/look.h"

#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <cmath>

namespace ui {

QStyle *designedStyle()
{
    // One instance for the life of the program, as the application's own
    // style would be; widgets that use it never own it.
    static QStyle *const style = QStyleFactory::create(QStringLiteral("Fusion"));
    return style;
}

QPalette designedPalette()
{
    // Made from fixed colours: a style's standard palette follows the
    // desktop's colour scheme where a platform theme provides one.
    static const QPalette palette = [] {
        QPalette light(QColor(0xEF, 0xEF, 0xEF));
        // For every colour group; the disabled texts are greyed below.
        light.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
        light.setColor(QPalette::HighlightedText, Qt::white);
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            light.setColor(QPalette::Disabled, role, QColor(0x78, 0x78, 0x78));
        return light;
    }();
    return palette;
}

namespace {

double relativeLuminance(const QColor &c)
{
    const auto channel = [](double value) {
        value /= 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor inkFor(const QColor &background)
{
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

} // namespace ui
