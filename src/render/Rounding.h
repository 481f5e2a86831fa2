// Number conversions of the program: rounding halves to the even neighbour, and the
// reading of a number at the start of a text. Pure functions, no Qt beyond QString.
#pragma once

#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>

namespace kalvetra {

// Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
inline double roundHalfEven(double value)
{
    // NOTE: nearbyint honours the rounding mode, which is round-to-nearest-even by default.
    return std::nearbyint(value);
}

// Rounded into a 32-bit integer; values beyond its range saturate rather than overflow.
inline std::int32_t roundToLong(double value)
{
    const double r = roundHalfEven(value);
    if (std::isnan(r))
        return 0;
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

// Rounded into a 16-bit integer; saturates at its limits.
inline std::int16_t roundToInteger(double value)
{
    const double r = roundHalfEven(value);
    if (std::isnan(r))
        return 0;
    if (r >= 32767.0)
        return 32767;
    if (r <= -32768.0)
        return -32768;
    return static_cast<std::int16_t>(r);
}

// The leading number of a text, as the program reads the number boxes: blanks are ignored,
// then an optional sign, digits with an optional fraction and exponent ("12.5e1"), or a
// hexadecimal (&H) or octal (&O) number. A text that does not start with a number gives 0.
double leadingNumber(const QString& text);

}  // namespace kalvetra
