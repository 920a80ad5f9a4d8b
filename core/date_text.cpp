#include "date_text.h"

#include <array>
#include <cstdio>

#include "number_text.h"

namespace tarnwick {

namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits "a<sep>b<sep>c" where each part is 1 to 4 digits and both separators are the
// same text. Answers the three parts and the separator used.
struct DateFields {
  std::array<std::string_view, 3> parts;
  std::string_view separator;
};

std::optional<DateFields> SplitDate(std::string_view s, std::string_view regional_sep) {
  DateFields out;
  size_t pos = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    const size_t start = pos;
    while (pos < s.size() && IsAsciiDigit(s[pos])) ++pos;
    if (pos == start || pos - start > 4) return std::nullopt;
    out.parts[k] = s.substr(start, pos - start);
    if (k == 2) break;
    // The separator: one of the fixed characters, or the regional separator text.
    std::string_view sep;
    if (!regional_sep.empty() && s.substr(pos, regional_sep.size()) == regional_sep) {
      sep = s.substr(pos, regional_sep.size());
    } else if (pos < s.size() && (s[pos] == '/' || s[pos] == '-' || s[pos] == '.')) {
      sep = s.substr(pos, 1);
    } else {
      return std::nullopt;
    }
    if (k == 1 && sep != out.separator) return std::nullopt;
    out.separator = sep;
    pos += sep.size();
  }
  if (pos != s.size()) return std::nullopt;
  return out;
}

int ToInt(std::string_view digits) {
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

std::optional<CalendarDate> Checked(std::string_view month, std::string_view day,
                                    std::string_view year) {
  if (month.size() > 2 || day.size() > 2 || year.size() != 4) return std::nullopt;
  const CalendarDate d{ToInt(month), ToInt(day), ToInt(year)};
  if (d.year < 1 || d.month < 1 || d.month > 12) return std::nullopt;
  if (d.day < 1 || d.day > Days_in_Month(d.year, d.month)) return std::nullopt;
  return d;
}

std::string Digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

}  // namespace

std::string_view DateOrderName(DateOrder order) {
  switch (order) {
    case DateOrder::DayMonthYear: return "day/month/year";
    case DateOrder::YearMonthDay: return "year/month/day";
    case DateOrder::MonthDayYear: break;
  }
  return "month/day/year";
}

std::optional<CalendarDate> DateFromText(std::string_view text, const RegionalFormat& format) {
  const std::string_view s = Trim(text);
  const auto fields = SplitDate(s, format.date_separator);
  if (!fields) return std::nullopt;
  const auto& p = fields->parts;
  // ISO 8601 is unambiguous whatever the regional order.
  if (fields->separator == "-" && p[0].size() == 4) return Checked(p[1], p[2], p[0]);
  switch (format.order) {
    case DateOrder::MonthDayYear: return Checked(p[0], p[1], p[2]);
    case DateOrder::DayMonthYear: return Checked(p[1], p[0], p[2]);
    case DateOrder::YearMonthDay: return Checked(p[1], p[2], p[0]);
  }
  return std::nullopt;
}

std::string FormatDate(const CalendarDate& date, std::string_view pattern,
                       std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const std::string_view rest = pattern.substr(i);
    if (rest.starts_with("yyyy")) {
      out += Digits(date.year, 4);
      i += 4;
    } else if (rest.starts_with("mm")) {
      out += Digits(date.month, 2);
      i += 2;
    } else if (rest.starts_with("dd")) {
      out += Digits(date.day, 2);
      i += 2;
    } else if (rest.front() == '/') {
      out += separator;
      i += 1;
    } else {
      out += rest.front();
      i += 1;
    }
  }
  return out;
}

std::string_view DatePattern(DateOrder order) {
  switch (order) {
    case DateOrder::DayMonthYear: return "dd/mm/yyyy";
    case DateOrder::YearMonthDay: return "yyyy/mm/dd";
    case DateOrder::MonthDayYear: break;
  }
  return "mm/dd/yyyy";
}

std::string ShortDateText(const CalendarDate& date, const RegionalFormat& format) {
  return FormatDate(date, DatePattern(format.order), format.date_separator);
}

CalendarDate AddDays(const CalendarDate& date, int days) {
  // Day count of the proleptic Gregorian calendar, the inverse of CalendarDateFromJD, so that
  // stepping works the same for every year (ConvertDatetoJD switches to the Julian calendar
  // before October 1582).
  const int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double jd_midnight = era * 146097.0 + doe + 1721119.5;  // JD of 0h, 1 March 0000 = 1721119.5
  return CalendarDateFromJD(jd_midnight + days);
}

}  // namespace tarnwick
