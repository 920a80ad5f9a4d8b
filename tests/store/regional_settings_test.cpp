#include "store/regional_settings.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tarnwick {
namespace {

TEST(regional_settings, order_and_separator_from_locale_formats) {
  // locale, its date format and radix; the date order, separator and decimal sign read
  const std::tuple<const char*, const char*, const char*, DateOrder, const char*, char> rows[] = {
      {"en_US", "%m/%d/%Y", ".", DateOrder::MonthDayYear, "/", '.'},
      {"en_GB", "%d/%m/%Y", ".", DateOrder::DayMonthYear, "/", '.'},
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
    EXPECT_EQ(f.order, order) << locale;
    EXPECT_EQ(f.date_separator, separator) << locale;
    EXPECT_EQ(f.decimal_separator, decimal) << locale;
  }
}

}  // namespace
}  // namespace tarnwick
