#pragma once

#include <string>
#include <string_view>

namespace fw {

// Blanks as the C runtime's isspace sees them: space, tab, CR, LF, VT, FF.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

// atoi: optional blanks, an optional sign, then leading decimal digits; no digits gives 0.
// Values beyond the 32-bit range saturate instead of overflowing.
int AtoiLike(std::string_view text);
// atof: the longest leading decimal number ("12.5abc" is 12.5); nothing numeric gives 0.
// Always with '.' as the decimal point, whatever the locale.
double AtofLike(std::string_view text);

// ASCII case-insensitive comparisons, as the system compares names and keys.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
std::string ToLowerAscii(std::string_view text);
// Natural order: runs of digits compare by their value ("7路" before "155路"), everything else
// byte by byte, ASCII letter case aside; names with numbers come before those without. Texts
// that read alike ("07路", "7路") fall back to byte order, so only equal texts are equivalent.
bool NaturalLess(std::string_view a, std::string_view b);

// printf-style "%f": six decimals, rounded.
std::string FormatFixed6(double value);
// What reading FormatFixed6(value) back with AtofLike gives, bit for bit, without the text: the
// exact value rounded to six decimals (ties to even), then the nearest double.
double RoundToSixDecimals(double value);

}  // namespace fw
