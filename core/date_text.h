// Date texts in the user's regional conventions: reading a typed date, the short-date text
// and the date patterns. The regional format itself is read from the locale by store/.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calendar.h"

namespace tarnwick {

// The user's regional conventions for dates and numbers.
struct RegionalFormat {
  DateOrder order = DateOrder::MonthDayYear;  // RegionalDateOrder
  std::string date_separator = "/";           // stands for the "/" of the date patterns
  // The locale's decimal sign: number boxes accept it besides ".". Never written: reports and
  // files always say ".", so they read the same in every locale.
  char decimal_separator = '.';
};

// Name of an order for messages: "month/day/year", "day/month/year", "year/month/day".
std::string_view DateOrderName(DateOrder order);

// Reads a date text. Accepted: three fields in the regional order, day and month of one or
// two digits, a four-digit year, separated twice by the same one of "/", "-", "." or the
// regional separator; and ISO 8601 "yyyy-mm-dd" whatever the order. Blanks around the text
// are ignored. Answers nothing for anything else, impossible dates (02/30/2007) included.
std::optional<CalendarDate> DateFromText(std::string_view text, const RegionalFormat& format);

// Two-digit month and day, four-digit year, regional order and separator.
std::string ShortDateText(const CalendarDate& date, const RegionalFormat& format);

// Writes a date by a pattern made of "mm", "dd", "yyyy" and "/": "mm/dd/yyyy", "dd/mm/yyyy",
// "yyyy/mm/dd", "mmddyyyy". Each "/" is written as separator; other characters as they are.
std::string FormatDate(const CalendarDate& date, std::string_view pattern,
                       std::string_view separator);

// The pattern of the given order: "mm/dd/yyyy", "dd/mm/yyyy" or "yyyy/mm/dd".
std::string_view DatePattern(DateOrder order);

// The calendar day after (days = 1) or before (days = -1) a date, across month and year ends.
CalendarDate AddDays(const CalendarDate& date, int days);

}  // namespace tarnwick
