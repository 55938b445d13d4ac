#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A number as a user types or passes it: an optional sign, digits and a fraction after a comma
// or a point ("1,5", "-2.25", ",5"); blanks around it are ignored. None for anything else: an
// empty text, two separators ("1,5.2"), blanks inside ("1 000"), an exponent, "nan", "inf".
std::optional<double> ReadDecimal(const QString &text);

// A whole number within low..high, typed as ReadDecimal reads it ("850", "+850", "850,0");
// none for a fraction, a number outside or a text that does not read.
std::optional<std::int32_t> ReadWholeNumber(const QString &text, std::int32_t low,
                                            std::int32_t high);
