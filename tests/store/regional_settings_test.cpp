#include "store/regional_settings.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(regional_settings, order_and_separator_from_locale_formats) {
  struct Row {
    const char* locale;
    const char* d_fmt;
    const char* radix;
    DateOrder order;
    const char* separator;
    char decimal;
  };
  const Row rows[] = {
      {"en_US", "%m/%d/%Y", ".", DateOrder::MonthDayYear, "/", '.'},
      {"en_GB", "%d/%m/%Y", ".", DateOrder::DayMonthYear, "/", '.'},
      {"de_DE", "%d.%m.%Y", ",", DateOrder::DayMonthYear, ".", ','},
      {"ja_JP", "%Y年%m月%d日", ".", DateOrder::YearMonthDay, "/", '.'},
      {"C", "%m/%d/%y", ".", DateOrder::MonthDayYear, "/", '.'},
      {"sv_SE", "%Y-%m-%d", ",", DateOrder::YearMonthDay, "-", ','},
      {"composite %F", "%F", ".", DateOrder::YearMonthDay, "-", '.'},
      {"composite %D", "%D", ".", DateOrder::MonthDayYear, "/", '.'},
      {"glibc flags", "%-d/%-m/%Y", ".", DateOrder::DayMonthYear, "/", '.'},
      {"unusable: no day", "%Y/%m", ".", DateOrder::MonthDayYear, "/", '.'},
      {"unusable: empty", "", "", DateOrder::MonthDayYear, "/", '.'},
      {"unusable: y/d/m", "%Y/%d/%m", ".", DateOrder::MonthDayYear, "/", '.'},
  };
  for (const Row& r : rows) {
    const RegionalFormat f = RegionalFormatFromLocale(r.d_fmt, r.radix);
    EXPECT_EQ(f.order, r.order) << r.locale;
    EXPECT_EQ(f.date_separator, r.separator) << r.locale;
    EXPECT_EQ(f.decimal_separator, r.decimal) << r.locale;
  }
}

}  // namespace
}  // namespace tarnwick
