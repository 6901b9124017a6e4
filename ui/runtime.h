#pragma once

// The run-time library the window's logic is written against: its value
// types, checked arrays, the number conversions, random numbers and the one
// way a run-time error reaches the user.

#include <QString>

#include <array>
#include <cstdint>

namespace ui {

using Byte = std::uint8_t;
using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;
using Double = double;

// The kinds of run-time error. The codes are Vendrola's own and stay fixed,
// so that a bug report that quotes one means the same in every version.
enum class RuntimeError : int
{
    NumberOutOfRange = 1, // a conversion's result does not fit its type
    IndexOutOfRange = 2,  // an index outside the bounds of an array
    NoSuchControl = 3,    // an index outside a control array
    InvalidValue = 4,     // a property given a value it cannot take
    NoSuchListItem = 5,   // an index outside a list's items
};

// What the user reads in the message box: in Bulgarian, what went wrong and
// that the program will close.
QString userMessage(RuntimeError kind, const QString &where);
// The one line for standard error, in English for bug reports: the kind, its
// code and where it happened ("Command1(8)", "CInt(32767.5)").
QString logLine(RuntimeError kind, const QString &where);

// Reports a run-time error and ends the program: the log line goes to
// standard error, the message to the user; once the user has read it the
// process exits with kRuntimeErrorExitStatus. There is no recovery, because
// the logic has no error handlers and any state after the fault is
// untrustworthy.
[[noreturn]] void raiseError(RuntimeError kind, const QString &where);

inline constexpr int kRuntimeErrorExitStatus = 3;

// Shows the user a run-time error. By default a modal message box, when a
// GUI is running; a test replaces it, so that the error fails the test at
// once instead of waiting for somebody to close the box.
using RuntimeErrorPresenter = void (*)(RuntimeError kind, const QString &where);
void setRuntimeErrorPresenter(RuntimeErrorPresenter presenter);

// A fixed array indexed from Lo to Hi inclusive; an index outside that range
// is a run-time error instead of undefined behaviour.
template <typename T, int Lo, int Hi> class CheckedArray
{
public:
    static_assert(Lo <= Hi);
    static constexpr int lowerBound = Lo;
    static constexpr int upperBound = Hi;

    // The name says where an index went out of bounds.
    explicit CheckedArray(const char *name) : name_(name) {}

    T &operator()(long index) { return items_[offset(index)]; }
    const T &operator()(long index) const { return items_[offset(index)]; }

private:
    std::size_t offset(long index) const
    {
        if (index < Lo || index > Hi)
            raiseError(RuntimeError::IndexOutOfRange,
                       QStringLiteral("%1(%2)").arg(QLatin1String(name_)).arg(index));
        return static_cast<std::size_t>(index - Lo);
    }

    const char *name_;
    std::array<T, Hi - Lo + 1> items_{};
};

// Conversions. Floating values convert to whole numbers by rounding to the
// nearest, halves to even; a result outside the target type is an overflow.
Integer CInt(Double value);
Long CLng(Double value);
// Rounds down to a whole number (stays floating).
Double Int(Double value);
// The digits of a whole number, with no leading blank for positive values.
QString Str(Long value);

// The number the leading characters of text spell (blanks skipped, optional
// sign, digits, optional decimal fraction); 0 if there is none.
Double Val(const QString &text);

// The colour r + 256 g + 65536 b (each channel 0..255).
Long RGB(int r, int g, int b);

// Seeds the random sequence from the clock.
void Randomize();
// Seeds the random sequence with a fixed value, so that tests can repeat a run.
void Randomize(std::uint64_t seed);
// The next value of the random sequence, uniform in [0, 1). A positive
// argument asks for the next value, which is the only use the program has.
Single Rnd(Single argument = 1.0f);

} // namespace ui
