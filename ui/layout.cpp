#include "ui/layout.h"

#include <QString>

#include <array>

namespace ui::layout {

namespace {

constexpr Long kPeach = 0x00C0E0FF;
constexpr Long kWhite = 0x00FFFFFF;
constexpr Long kLightCyan = 0x00FFFFC0;
constexpr Long kGreen = 0x0000FF00;
constexpr Long kRed = 0x000000FF;

using enum Array;
using enum Align;

constexpr std::array kControls = {
    // clang-format off
    //      array     idx text                       left   top  width height background   tab align
    Control{Label1,    0, "Vendrola",                2040,    0, 4695,  375, kPeach,       12, Centre},
    Control{Label1,    1, "Изберете цвят",            360,  600, 1695,  255, kPeach,        8, Centre},
    Control{Command1,  0, "",                         240,  960,  255,  255, std::nullopt,  0, Centre, kColourButtonFont},
    Control{Command1,  1, "",                         480,  960,  255,  255, std::nullopt,  1, Centre, kColourButtonFont},
    Control{Command1,  2, "",                         720,  960,  255,  255, std::nullopt,  2, Centre, kColourButtonFont},
    Control{Command1,  3, "",                         960,  960,  255,  255, std::nullopt,  3, Centre, kColourButtonFont},
    Control{Command1,  4, "",                        1200,  960,  255,  255, std::nullopt,  4, Centre, kColourButtonFont},
    Control{Command1,  5, "",                        1440,  960,  255,  255, std::nullopt,  5, Centre, kColourButtonFont},
    Control{Command1,  6, "",                        1680,  960,  255,  255, std::nullopt,  6, Centre, kColourButtonFont},
    Control{Command1,  7, "",                        1920,  960,  255,  255, std::nullopt,  7, Centre, kColourButtonFont},
    Control{Label2,    0, "01 [%]",                   240, 1300,  855,  300, kWhite,       27, Centre},
    Control{List1,     0, "",                         240, 1600,  855,  630, std::nullopt, 28, Left},
    Control{Label2,    1, "02 [%]",                  1440, 1300,  855,  300, kWhite,       29, Centre},
    Control{List1,     1, "",                        1440, 1600,  855,  630, std::nullopt, 30, Left},
    Control{Label2,    2, "03 [%]",                   240, 2500,  855,  300, kWhite,       31, Centre},
    Control{List1,     2, "",                         240, 2800,  855,  630, std::nullopt, 32, Left},
    Control{Label2,    3, "04 [%]",                  1440, 2500,  855,  300, kWhite,       33, Centre},
    Control{List1,     3, "",                        1440, 2800,  855,  630, std::nullopt, 34, Left},
    Control{Label2,    4, "01 - Брой посещения",      120, 3600, 2415,  255, kLightCyan,   35, Left},
    Control{Label2,    5, "02 - Страници",            120, 3840, 2415,  255, kLightCyan,   36, Left},
    Control{Label2,    6, "03 - Кликове",             120, 4080, 2415,  255, kLightCyan,   37, Left},
    Control{Label2,    7, "04 - Обем информация",     120, 4320, 2415,  255, kLightCyan,   38, Left},
    Control{Command3,  0, "Изведи",                   120, 4680, 1095,  375, kGreen,       13, Centre},
    Control{Command3,  1, "Изчисти",                 1440, 5040, 1095,  375, kRed,         11, Centre},
    Control{Picture1,  0, "",                        2640,  600, 6360, 2000, std::nullopt, 14, Left},
    Control{Label1,    2, "Jan",                     2640, 2640,  495,  375, kPeach,       15, Centre},
    Control{Label1,    3, "Feb",                     3165, 2640,  495,  375, kPeach,       16, Centre},
    Control{Label1,    4, " Mar",                    3705, 2640,  495,  375, kPeach,       17, Centre},
    Control{Label1,    5, " Apr",                    4245, 2640,  495,  375, kPeach,       18, Centre},
    Control{Label1,    6, " May",                    4800, 2640,  495,  375, kPeach,       19, Centre},
    Control{Label1,    7, "Jun",                     5340, 2640,  495,  375, kPeach,       20, Centre},
    Control{Label1,    8, "Jul",                     5880, 2640,  495,  375, kPeach,       21, Centre},
    Control{Label1,    9, "Aug",                     6405, 2640,  495,  375, kPeach,       22, Centre},
    Control{Label1,   10, "Sep",                     6915, 2640,  495,  375, kPeach,       23, Centre},
    Control{Label1,   11, "Oct",                     7440, 2640,  495,  375, kPeach,       24, Centre},
    Control{Label1,   12, "Nov",                     7965, 2640,  495,  375, kPeach,       25, Centre},
    Control{Label1,   13, "Dec",                     8520, 2640,  495,  375, kPeach,       26, Centre},
    Control{Text1,     0, "",                        2640, 3120, 6375, 2175, std::nullopt,  9, Left},
    // clang-format on
};

} // namespace

const Window kWindow{
    "www.vendrola.bg ИТ - посещения на сайт, изтеглена информация, кликове",
    9135,
    5505,
    0x00FFC0C0,
};

std::span<const Control> controls()
{
    return kControls;
}

QString accessibleName(const Control &control)
{
    static const char *const kSeries[] = {"Серия 01 – брой посещения", "Серия 02 – страници",
                                          "Серия 03 – кликове", "Серия 04 – обем информация"};
    switch (control.array) {
    case List1:
        return QString::fromUtf8(kSeries[control.index]) +
               QString::fromUtf8(", стойности по месеци");
    case Picture1:
        return QString::fromUtf8("Диаграма на посещенията");
    case Text1:
        return QString::fromUtf8("Условие на задачата");
    default:
        return {};
    }
}

QString controlName(const Control &control)
{
    static constexpr const char *kNames[] = {"Label1", "Label2",   "Command1", "Command3",
                                             "List1",  "Picture1", "Text1"};
    const QString name = QString::fromLatin1(kNames[static_cast<int>(control.array)]);
    if (control.array == Picture1 || control.array == Text1)
        return name;
    return QStringLiteral("%1(%2)").arg(name).arg(control.index);
}

QString taskStatement()
{
    static const char *const kLines[] = {
        "Да се реализира проект отразяващ междупредметни връзки Информационни технологии и "
        "Информатика.",
        "Тема на проекта: Vendrola.",
        "Проектът да извежда графика на диаграма за посещения на сайт, включваща: ",
        "брой посещения - Number of visits;",
        "брой посетени страници - Pages;",
        "брой клика - Hits;",
        "обем изтеглена информация - Bandwidth;",
        "Всеки от изброените видове данни се представя като процент от максималните за "
        "предходната година. Проектът да изчертава диграма включва данни за 12 месеца. Данните "
        "да се генерират автоматично като случайни числа.",
        "Проектът да дава възможност на потребителя да избира 4 от 8 възможни цвята. Избор на "
        "даден цвят забранява възможността същия цвят да се използва повторно.",
    };
    QString text;
    for (const char *line : kLines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

} // namespace ui::layout
