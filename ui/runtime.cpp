#include "ui/runtime.h"

#include <QApplication>
#include <QMessageBox>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

namespace ui {

QString errorMessage(ErrorNumber number, const QString &detail)
{
    QString text;
    switch (number) {
    case ErrorNumber::Overflow:
        text = QStringLiteral("Overflow");
        break;
    case ErrorNumber::SubscriptOutOfRange:
        text = QStringLiteral("Subscript out of range");
        break;
    case ErrorNumber::NoSuchControlArrayElement:
        text = QStringLiteral("Control array element '%1' doesn't exist").arg(detail);
        break;
    case ErrorNumber::InvalidPropertyValue:
        text = QStringLiteral("Invalid property value");
        break;
    case ErrorNumber::InvalidPropertyArrayIndex:
        text = QStringLiteral("Invalid property array index");
        break;
    }
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(static_cast<int>(number)).arg(text);
}

void raiseError(ErrorNumber number, const QString &detail)
{
    const QString message = errorMessage(number, detail);
    std::fprintf(stderr, "vendrola: %s\n", qUtf8Printable(QString(message).replace("\n\n", " ")));
    std::fflush(stderr);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMessageBox::critical(nullptr, QStringLiteral("Vendrola"), message);
    // The logic's state is unknown after a fault, so nothing of it may run on,
    // not even destructors of half-updated objects.
    std::fflush(nullptr);
    std::_Exit(kRuntimeErrorExitStatus);
}

namespace {

Double checkedWhole(Double value, Double lowest, Double highest)
{
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    const Double rounded = std::nearbyint(value);
    if (!(rounded >= lowest && rounded <= highest))
        raiseError(ErrorNumber::Overflow);
    return rounded;
}

std::mt19937_64 &generator()
{
    static std::mt19937_64 engine{0x5eed};
    return engine;
}

} // namespace

Integer CInt(Double value)
{
    return static_cast<Integer>(checkedWhole(value, std::numeric_limits<Integer>::min(),
                                             std::numeric_limits<Integer>::max()));
}

Long CLng(Double value)
{
    return static_cast<Long>(
        checkedWhole(value, std::numeric_limits<Long>::min(), std::numeric_limits<Long>::max()));
}

Double Int(Double value)
{
    return std::floor(value);
}

QString Str(Long value)
{
    return QString::number(value);
}

Double Val(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n &&
               (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };
    skipBlanks();
    Double sign = 1.0;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        sign = text[i] == u'-' ? -1.0 : 1.0;
        ++i;
    }
    Double result = 0.0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        result = result * 10.0 + (text[i++].unicode() - u'0');
    if (i < n && text[i] == u'.') {
        ++i;
        Double scale = 0.1;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            result += (text[i++].unicode() - u'0') * scale;
            scale /= 10.0;
        }
    }
    return sign * result;
}

Long RGB(int r, int g, int b)
{
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255)
        raiseError(ErrorNumber::InvalidPropertyValue);
    return r + 256 * g + 65536 * b;
}

void Randomize()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
    Randomize(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void Randomize(std::uint64_t seed)
{
    generator().seed(seed);
}

Single Rnd(Single)
{
    // The top 24 bits make every value exactly representable as a Single,
    // so the result is never rounded up to 1.
    constexpr int kMantissaBits = std::numeric_limits<Single>::digits;
    const auto bits = generator()() >> (64 - kMantissaBits);
    return std::ldexp(static_cast<Single>(bits), -kMantissaBits);
}

} // namespace ui
