#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace tarnwick {

namespace {

// Parses [sign] digits [point digits] from s at pos; the point may be '.' or `alt_point`.
// Returns the length consumed (0 when no digit was found) and the value in *out.
size_t ScanDecimal(std::string_view s, size_t pos, char alt_point, double* out) {
  const size_t begin = pos;
  std::string buf;  // the number as from_chars takes it: "-" or nothing, digits, "." and digits
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    if (s[pos] == '-') buf += '-';
    ++pos;
  }
  size_t digits = 0;
  bool whole_part = false;  // a digit other than 0 before the point
  while (pos < s.size() && IsAsciiDigit(s[pos])) whole_part |= s[pos] != '0', buf += s[pos++], ++digits;
  if (pos < s.size() && (s[pos] == '.' || s[pos] == alt_point)) {
    size_t frac = 0;
    std::string part = ".";
    size_t p = pos + 1;
    while (p < s.size() && IsAsciiDigit(s[p])) part += s[p++], ++frac;
    if (digits + frac > 0) {
      buf += part;
      digits += frac;
      pos = p;
    }
  }
  if (digits == 0) return 0;
  // from_chars, not strtod: strtod follows the C locale, which the desktop program takes from
  // the environment, and under a decimal comma it stopped at the point ("-5.5" read as -5).
  double value = 0.0;
  const auto [end, error] = std::from_chars(buf.data(), buf.data() + buf.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Hundreds of digits: beyond the largest double, or too close to zero for it.
    value = whole_part ? HUGE_VAL : 0.0;
    if (buf.front() == '-') value = -value;
  }
  *out = value;
  return pos - begin;
}

// The text of whole / 10^decimals with at least int_digits integer digits: what AppendFixed
// writes for a value that rounded to it.
void AppendScaledWhole(std::string& out, long long whole, int int_digits, int decimals) {
  if (whole < 0) out += '-';
  unsigned long long magnitude = static_cast<unsigned long long>(whole < 0 ? -whole : whole);
  char digits[32];
  char* first = digits + sizeof digits;
  for (int i = 0; i < decimals; ++i) {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (decimals > 0) *--first = '.';
  int int_part = 0;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++int_part;
  } while (magnitude != 0);
  if (int_part < int_digits) out.append(static_cast<size_t>(int_digits - int_part), '0');
  out.append(first, digits + sizeof digits);
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text, char decimal_separator) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  double value = 0.0;
  if (ScanDecimal(text, pos, decimal_separator, &value) == 0) return std::nullopt;
  return value;
}

std::optional<double> WholeDecimal(std::string_view text, char decimal_separator) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  double value = 0.0;
  const size_t used = ScanDecimal(text, 0, decimal_separator, &value);
  if (used == 0 || used != text.size()) return std::nullopt;
  return value;
}

void AppendFixed(std::string& out, double value, int int_digits, int decimals) {
  // Round half away from zero on the decimal value, as a person rounding by hand would;
  // to_chars alone would round exact binary halves (0.25) to even.
  const double scale = std::pow(10.0, decimals);
  // Beyond 2^53 every double is a whole number (nothing to round), and value * scale may
  // overflow.
  const double scaled = value * scale;
  const bool rounds = std::fabs(value) < 0x1p53 && std::isfinite(scaled);
  const double whole = rounds ? std::round(scaled) : 0.0;
  double rounded = rounds ? whole / scale : value;
  if (rounded == 0.0) rounded = 0.0;  // no "-0.000"
  if (rounds && decimals >= 0 && decimals <= 15 && std::fabs(whole) < 0x1p48) {
    // The usual case, a report's numbers: the text is the whole number `whole` with the point
    // `decimals` digits from its right. Below 2^48 the double `rounded` lies far closer to
    // that decimal than half a unit of its last digit, so to_chars would write exactly it.
    AppendScaledWhole(out, static_cast<long long>(whole), int_digits, decimals);
    return;
  }
  // to_chars, not printf: printf writes the decimal sign of the C locale, which the desktop
  // program takes from the environment ("01,8"), and every report says ".". A report's
  // numbers fit the buffer on the stack; a large value has hundreds of digits, and a cut text
  // would be a different number, so the buffer then grows until it fits.
  char small[64];
  std::string large;
  const char* digits = small;
  size_t length = 0;
  if (const auto [end, error] = std::to_chars(small, small + sizeof small, std::fabs(rounded),
                                              std::chars_format::fixed, decimals);
      error == std::errc()) {
    length = static_cast<size_t>(end - small);
  } else {
    large.resize(2 * sizeof small);
    for (;;) {
      const auto [big_end, big_error] = std::to_chars(large.data(), large.data() + large.size(),
                                                      std::fabs(rounded), std::chars_format::fixed, decimals);
      if (big_error == std::errc()) {
        length = static_cast<size_t>(big_end - large.data());
        break;
      }
      large.resize(large.size() * 2);
    }
    digits = large.data();
  }
  const std::string_view text(digits, length);
  const size_t point = text.find('.');
  const size_t int_part = point == std::string_view::npos ? text.size() : point;
  if (rounded < 0) out += '-';
  if (int_part < static_cast<size_t>(int_digits)) out.append(static_cast<size_t>(int_digits) - int_part, '0');
  out += text;
}

std::string FormatFixed(double value, int int_digits, int decimals) {
  std::string out;
  AppendFixed(out, value, int_digits, decimals);
  return out;
}

void AppendTwoDigits(std::string& out, int value) {
  if (value >= 0 && value < 100) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
    return;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", value);
  out += buf;
}

}  // namespace tarnwick
