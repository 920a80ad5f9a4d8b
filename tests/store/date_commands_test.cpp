// The regional date order, and the date commands that step the span in it.
#include <gtest/gtest.h>

#include <tuple>

#include "store/date_commands.h"
#include "store/regional_settings.h"

namespace tarnwick {
namespace {

using enum DateCommand;

const RegionalFormat kMdy{DateOrder::MonthDayYear, "/", '.'};
const RegionalFormat kDmy{DateOrder::DayMonthYear, ".", ','};
const RegionalFormat kYmd{DateOrder::YearMonthDay, "/", '.'};

TEST(date_commands, month_and_day_steps_in_every_order_or_refused_naming_box_text_and_order) {
  // Month steps take the start date's month alone; day steps leave the other box alone.
  // Year ends both ways, leap and common Februaries (1900 is no leap year), each order read
  // and written; days before the calendar reform step in the proleptic Gregorian calendar.
  const std::tuple<const RegionalFormat*, DateCommand, DateBoxes, DateBoxes> rows[] = {
      {&kMdy, NextMonth, {"12/15/2007", "x"}, {"01/01/2008", "01/31/2008"}},
      {&kMdy, PreviousMonth, {"12/15/2007", "x"}, {"11/01/2007", "11/30/2007"}},
      {&kMdy, NextMonth, {"01/31/2008", ""}, {"02/01/2008", "02/29/2008"}},
      {&kDmy, PreviousMonth, {"10.1.2008", ""}, {"01.12.2007", "31.12.2007"}},
      {&kYmd, NextMonth, {"2007/01/31", ""}, {"2007/02/01", "2007/02/28"}},
      {&kMdy, NextStartDate, {"10/15/1582", "x"}, {"10/16/1582", "x"}},
      {&kMdy, PreviousEndDate, {"x", "03/01/2008"}, {"x", "02/29/2008"}},
      {&kMdy, PreviousEndDate, {"x", "03/01/1900"}, {"x", "02/28/1900"}},
      {&kDmy, NextEndDate, {"x", "31.12.2007"}, {"x", "01.01.2008"}},
      {&kMdy, EndDateSameAsStartDate, {"not a date", "12/31/2007"}, {"not a date", "not a date"}},
  };
  for (const auto& [format, command, before, after] : rows) {
    const DateCommandResult result = ApplyDateCommand(command, before, *format);
    EXPECT_EQ(std::tie(result.boxes, result.message), std::tuple(after, ""))
        << before.start << " " << before.end << " in the " << DateOrderName(format->order) << " order";
  }
  const std::string ys = ": dates run from the year 1 to the year 9999.";
  const std::string mdy = " is not a valid date in the month/day/year order.";
  const std::tuple<const RegionalFormat*, DateCommand, DateBoxes, std::string> refused[] = {
      {&kMdy, NextStartDate, {"13/45/2007", "12/31/2007"}, "Start Date \"13/45/2007\"" + mdy},
      {&kDmy, PreviousEndDate, {"01.12.2007", "12/31/2007"},
       "End Date \"12/31/2007\" is not a valid date in the day/month/year order."},
      {&kMdy, NextStartDate, {"12/31/9999", ""}, "Start Date \"12/31/9999\" cannot move forward" + ys},
      {&kMdy, PreviousEndDate, {"", "01/01/0001"}, "End Date \"01/01/0001\" cannot move back" + ys},
      {&kMdy, NextMonth, {"12/15/9999", ""}, "Start Date \"12/15/9999\" has no next month" + ys},
  };
  for (const auto& [format, command, boxes, message] : refused) {
    const DateCommandResult refusal = ApplyDateCommand(command, boxes, *format);
    EXPECT_EQ(std::tie(refusal.boxes, refusal.message), std::tie(boxes, message));
  }
}


TEST(regional_settings, order_and_separator_from_locale_formats) {
  // locale, its date format and radix; the date order, separator and decimal sign read
  const std::tuple<const char*, const char*, const char*, DateOrder, const char*, char> rows[] = {
      {"en_US", "%m/%d/%Y", ".", DateOrder::MonthDayYear, "/", '.'},
      {"de_DE", "%d.%m.%Y", ",", DateOrder::DayMonthYear, ".", ','},
      {"C", "%m/%d/%y", ".", DateOrder::MonthDayYear, "/", '.'},  // two-digit year
      {"ja_JP", "%Y年%m月%d日", ".", DateOrder::YearMonthDay, "/", '.'},
      {"sv_SE", "%Y-%m-%d", ",", DateOrder::YearMonthDay, "-", ','},
      {"composite %F", "%F", ".", DateOrder::YearMonthDay, "-", '.'},
      {"composite %D", "%D", ".", DateOrder::MonthDayYear, "/", '.'},
      {"glibc flags", "%-d/%-m/%Y", ".", DateOrder::DayMonthYear, "/", '.'},
      {"unusable: no day", "%Y/%m", ".", DateOrder::MonthDayYear, "/", '.'},
      {"unusable: empty", "", "", DateOrder::MonthDayYear, "/", '.'},
      {"unusable: y/d/m", "%Y/%d/%m", ".", DateOrder::MonthDayYear, "/", '.'},
  };
  for (const auto& [locale, d_fmt, radix, order, separator, decimal] : rows) {
    const RegionalFormat f = RegionalFormatFromLocale(d_fmt, radix);
    EXPECT_EQ(std::tie(f.order, f.date_separator, f.decimal_separator), std::tuple(order, separator, decimal)) << locale;
  }
}

}  // namespace
}  // namespace tarnwick
