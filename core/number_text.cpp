#include "number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarnwick {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses [sign] digits [point digits] from s at pos; the point may be '.' or `alt_point`.
// Returns the length consumed (0 when no digit was found) and the value in *out.
size_t ScanDecimal(std::string_view s, size_t pos, char alt_point, double* out) {
  const size_t begin = pos;
  std::string buf;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) buf += s[pos++];
  size_t digits = 0;
  while (pos < s.size() && IsDigit(s[pos])) buf += s[pos++], ++digits;
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
  *out = std::strtod(buf.c_str(), nullptr);
  return pos - begin;
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  double value = 0.0;
  if (ScanDecimal(text, pos, '.', &value) == 0) return std::nullopt;
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

std::string FormatFixed(double value, int int_digits, int decimals, char decimal_separator) {
  // Round half away from zero on the decimal value, as a person rounding by hand would;
  // printf alone would round exact binary halves (0.25) to even.
  const double scale = std::pow(10.0, decimals);
  // Beyond 2^53 every double is a whole number (nothing to round), and value * scale may
  // overflow.
  const double scaled = value * scale;
  double rounded = std::fabs(value) < 0x1p53 && std::isfinite(scaled) ? std::round(scaled) / scale : value;
  if (rounded == 0.0) rounded = 0.0;  // no "-0.000"
  const int width = int_digits + (decimals > 0 ? decimals + 1 : 0) + (rounded < 0 ? 1 : 0);
  // Sized by a first pass: a large value has hundreds of digits, and a cut text would be a
  // different number.
  const int length = std::snprintf(nullptr, 0, "%0*.*f", width, decimals, rounded);
  std::string out(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%0*.*f", width, decimals, rounded);
  out.pop_back();
  if (decimal_separator != '.') {
    if (const auto dot = out.find('.'); dot != std::string::npos) out[dot] = decimal_separator;
  }
  return out;
}

}  // namespace tarnwick
