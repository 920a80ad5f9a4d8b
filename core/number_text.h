// Numbers read from and written into texts: the leading-number rule, whole-text decimals and
// fixed patterns such as "00.0" and "00.000". None of them depends on the C locale: every text
// the program writes has "." for the point, whatever the user's locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Whether c is one of the ASCII digits 0-9, whatever the locale.
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// The longest leading part of the text that reads as a decimal number with "." (or
// decimal_separator) as the decimal point: optional blanks, an optional sign, digits with an
// optional fraction. "3.0" gives 3, "2.5x" gives 2.5, "2,5" gives 2 unless decimal_separator
// is ","; nothing when no digit leads (empty text, "abc", "-").
std::optional<double> LeadingNumber(std::string_view text, char decimal_separator = '.');

// The whole text, blanks around it aside, as a decimal number: an optional sign, digits, and
// an optional fraction after "." or after decimal_separator. Nothing for an empty text, a
// lone sign, two decimal signs or any other character.
std::optional<double> WholeDecimal(std::string_view text, char decimal_separator = '.');

// value written with at least int_digits integer digits and exactly `decimals` decimals,
// rounded half away from zero, a leading "-" when the written value is negative, and
// "." for the point: FormatFixed(5.25, 2, 3) is "05.250" (pattern "00.000").
std::string FormatFixed(double value, int int_digits, int decimals);

// The same text appended to out, for a line built piece by piece.
void AppendFixed(std::string& out, double value, int int_digits, int decimals);

// Two digits for values 0 to 99, as printf's "%02d" writes them, appended to out (any other
// value as printf writes it: a field out of its range shows, not wraps).
void AppendTwoDigits(std::string& out, int value);

}  // namespace tarnwick
