// How settings values are read from text: numbers as the number boxes and the settings file
// hold them, and the truth values of section Setting. Pure functions; QtCore only.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kalvetra {

// The value of a text that is a number as a whole: half-width digits with an optional sign,
// decimal point and exponent, blanks around allowed ("12", " -3.5 ", "1e2"). Nothing for
// any other text, the empty one included, or for a number too large for a double.
std::optional<double> numberFromText(const QString& text);

// numberFromText rounded to a whole number, halves to the even neighbour ("12.5" -> 12).
// Nothing for text that is not a number or a value beyond 32 bits.
std::optional<std::int64_t> wholeNumberFromText(const QString& text);

// "True" or "False" (in any letter case), or a number, zero being false. Nothing for
// anything else, the empty value of a missing key included.
std::optional<bool> truthValueFromText(const QString& text);

// The words the program writes for its options.
QString truthValueText(bool value);

}  // namespace kalvetra
