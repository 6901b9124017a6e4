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

namespace {

struct ErrorText
{
    const char *english;
    const char *bulgarian;
};

ErrorText textOf(RuntimeError kind)
{
    switch (kind) {
    case RuntimeError::NumberOutOfRange:
        return {"number out of range", "число извън допустимия обхват"};
    case RuntimeError::IndexOutOfRange:
        return {"index out of range", "индекс извън границите на масив"};
    case RuntimeError::NoSuchControl:
        return {"no such control", "няма такъв елемент на прозореца"};
    case RuntimeError::InvalidValue:
        return {"invalid property value", "недопустима стойност на свойство"};
    case RuntimeError::NoSuchListItem:
        return {"no such list item", "няма такъв ред в списъка"};
    }
    return {"unknown error", "непозната грешка"};
}

void showMessageBox(RuntimeError kind, const QString &where)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMessageBox::critical(nullptr, QStringLiteral("Vendrola"), userMessage(kind, where));
}

RuntimeErrorPresenter presenter = showMessageBox;

} // namespace

QString userMessage(RuntimeError kind, const QString &where)
{
    return QString::fromUtf8("Vendrola срещна вътрешна грешка: %1 (%2, код %3).\n\n"
                             "Програмата ще бъде затворена.")
        .arg(QString::fromUtf8(textOf(kind).bulgarian), where)
        .arg(static_cast<int>(kind));
}

QString logLine(RuntimeError kind, const QString &where)
{
    return QStringLiteral("vendrola: internal error %1 (%2) at %3")
        .arg(static_cast<int>(kind))
        .arg(QLatin1String(textOf(kind).english), where);
}

void setRuntimeErrorPresenter(RuntimeErrorPresenter newPresenter)
{
    presenter = newPresenter ? newPresenter : showMessageBox;
}

void raiseError(RuntimeError kind, const QString &where)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(logLine(kind, where)));
    std::fflush(stderr);
    presenter(kind, where);
    // The logic's state is unknown after a fault, so nothing of it may run on,
    // not even destructors of half-updated objects.
    std::fflush(nullptr);
    std::_Exit(kRuntimeErrorExitStatus);
}

namespace {

Double checkedWhole(Double value, Double lowest, Double highest, const char *conversion)
{
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    const Double rounded = std::nearbyint(value);
    if (!(rounded >= lowest && rounded <= highest))
        raiseError(RuntimeError::NumberOutOfRange,
                   QStringLiteral("%1(%2)").arg(QLatin1String(conversion)).arg(value, 0, 'g', 17));
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
                                             std::numeric_limits<Integer>::max(), "CInt"));
}

Long CLng(Double value)
{
    return static_cast<Long>(checkedWhole(value, std::numeric_limits<Long>::min(),
                                          std::numeric_limits<Long>::max(), "CLng"));
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
        raiseError(RuntimeError::InvalidValue,
                   QStringLiteral("RGB(%1, %2, %3)").arg(r).arg(g).arg(b));
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
