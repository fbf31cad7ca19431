#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers, sizes and dates are kept as text in the catalogue; these read and write them the same
// way everywhere, independent of the user's locale.

// The integer value of a text's leading decimal digits, after optional blanks and a sign, as
// the C library's atoi reads it; 0 when there are none. Values beyond the int range saturate.
int ParseLeadingInt(std::string_view text);

// The floating-point value of a text's leading number (blanks, sign, digits, fraction,
// exponent), as atof reads it; 0 when there is none.
double ParseLeadingDouble(std::string_view text);

// The value of a disc number in its canonical "%d" form ("0", "7", "2147483647"); none for any
// other text ("007", "+7", " 7", "-1", "2147483648").
std::optional<int> ParseCanonicalInt(std::string_view text);

// A size in bytes as every size display shows it: mebibytes (bytes * 2^-20) with "%0.3f" and
// " MB", the unit the number is in.
std::string FormatSizeText(double bytes);
