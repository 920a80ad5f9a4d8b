#include "number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tarnwick {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
  while (pos < s.size() && IsDigit(s[pos])) whole_part |= s[pos] != '0', buf += s[pos++], ++digits;
  if (pos < s.size() && (s[pos] == '.' || s[pos] == alt_point)) {
    size_t frac = 0;
    std::string part = ".";
    size_t p = pos + 1;
    while (p < s.size() && IsDigit(s[p])) part += s[p++], ++frac;
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

std::string FormatFixed(double value, int int_digits, int decimals) {
  // Round half away from zero on the decimal value, as a person rounding by hand would;
  // to_chars alone would round exact binary halves (0.25) to even.
  const double scale = std::pow(10.0, decimals);
  // Beyond 2^53 every double is a whole number (nothing to round), and value * scale may
  // overflow.
  const double scaled = value * scale;
  double rounded = std::fabs(value) < 0x1p53 && std::isfinite(scaled) ? std::round(scaled) / scale : value;
  if (rounded == 0.0) rounded = 0.0;  // no "-0.000"
  // to_chars, not printf: printf writes the decimal sign of the C locale, which the desktop
  // program takes from the environment ("01,8"), and every report says ".". The buffer grows
  // until the number fits: a large value has hundreds of digits, and a cut text would be a
  // different number.
  std::string out(64, '\0');
  for (;;) {
    const auto [end, error] = std::to_chars(out.data(), out.data() + out.size(), std::fabs(rounded),
                                            std::chars_format::fixed, decimals);
    if (error == std::errc()) {
      out.resize(static_cast<size_t>(end - out.data()));
      break;
    }
    out.resize(out.size() * 2);
  }
  const size_t point = out.find('.');
  const size_t int_part = point == std::string::npos ? out.size() : point;
  if (int_part < static_cast<size_t>(int_digits)) out.insert(0, static_cast<size_t>(int_digits) - int_part, '0');
  if (rounded < 0) out.insert(0, 1, '-');
  return out;
}

}  // namespace tarnwick
