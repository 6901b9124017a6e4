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

// Error numbers as the user sees them.
enum class ErrorNumber : int
{
    Overflow = 6,
    SubscriptOutOfRange = 9,
    NoSuchControlArrayElement = 340,
    InvalidPropertyValue = 380,
    InvalidPropertyArrayIndex = 381,
};

QString errorMessage(ErrorNumber number, const QString &detail = {});

// Reports a run-time error and ends the program: the message goes to standard
// error and, when a GUI is running, into a modal message box; once the user
// has read it the process exits with a non-zero status. There is no recovery,
// because the logic has no error handlers and any state after the fault is
// untrustworthy.
[[noreturn]] void raiseError(ErrorNumber number, const QString &detail = {});

inline constexpr int kRuntimeErrorExitStatus = 3;

// A fixed array indexed from Lo to Hi inclusive; an index outside that range
// is a run-time error instead of undefined behaviour.
template <typename T, int Lo, int Hi> class CheckedArray
{
public:
    static_assert(Lo <= Hi);
    static constexpr int lowerBound = Lo;
    static constexpr int upperBound = Hi;

    T &operator()(long index) { return items_[offset(index)]; }
    const T &operator()(long index) const { return items_[offset(index)]; }

private:
    static std::size_t offset(long index)
    {
        if (index < Lo || index > Hi)
            raiseError(ErrorNumber::SubscriptOutOfRange);
        return static_cast<std::size_t>(index - Lo);
    }

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
