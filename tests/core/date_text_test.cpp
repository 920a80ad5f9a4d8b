#include "core/date_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick {
namespace {

const RegionalFormat kUS{DateOrder::MonthDayYear, "/", '.'};
const RegionalFormat kUK{DateOrder::DayMonthYear, "/", '.'};
const RegionalFormat kDE{DateOrder::DayMonthYear, ".", ','};
const RegionalFormat kJP{DateOrder::YearMonthDay, "/", '.'};

TEST(date_text, reads_dates_in_the_regional_order) {
  struct Row {
    const char* text;
    const RegionalFormat* format;
    std::optional<CalendarDate> expected;
  };
  const Row rows[] = {
      {"12/01/2007", &kUS, CalendarDate{12, 1, 2007}},
      {"12/1/2007", &kUS, CalendarDate{12, 1, 2007}},
      {"  12/01/2007 ", &kUS, CalendarDate{12, 1, 2007}},
      {"12-01-2007", &kUS, CalendarDate{12, 1, 2007}},
      {"12.01.2007", &kUS, CalendarDate{12, 1, 2007}},
      // Ambiguous texts follow the order.
      {"03/04/2007", &kUS, CalendarDate{3, 4, 2007}},
      {"03/04/2007", &kUK, CalendarDate{4, 3, 2007}},
      {"01.12.2007", &kDE, CalendarDate{12, 1, 2007}},
      {"2007/12/01", &kJP, CalendarDate{12, 1, 2007}},
      // ISO 8601 in every order.
      {"2007-12-01", &kUS, CalendarDate{12, 1, 2007}},
      {"2007-12-01", &kUK, CalendarDate{12, 1, 2007}},
      {"2008-02-29", &kDE, CalendarDate{2, 29, 2008}},
      // Invalid.
      {"02/30/2007", &kUS, std::nullopt},
      {"02/29/2007", &kUS, std::nullopt},
      {"02/29/1900", &kUS, std::nullopt},
      {"13/01/2007", &kUS, std::nullopt},  // no guessing at another order
      {"00/10/2007", &kUS, std::nullopt},
      {"12/01/07", &kUS, std::nullopt},  // a two-digit year is not a year we can place
      {"12/01-2007", &kUS, std::nullopt},
      {"12/01/2007x", &kUS, std::nullopt},
      {"", &kUS, std::nullopt},
      {"abc", &kUS, std::nullopt},
      {"12//2007", &kUS, std::nullopt},
      {"1/2/3/2007", &kUS, std::nullopt},
      {"2007/12/01", &kUS, std::nullopt},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(DateFromText(r.text, *r.format), r.expected) << '"' << r.text << '"';
  }
}

TEST(date_text, reads_back_every_text_it_writes) {
  for (const RegionalFormat* f : {&kUS, &kUK, &kDE, &kJP}) {
    for (double jd = 2378496.5; jd < 2597641.5; jd += 97.0) {  // 1800..2400, every 97 days
      const CalendarDate d = CalendarDateFromJD(jd);
      EXPECT_EQ(DateFromText(ConvertJDtoDate(jd, f->order), *f), d);
      EXPECT_EQ(DateFromText(ShortDateText(d, *f), *f), d);
      EXPECT_EQ(DateFromText(FormatDate(d, DatePattern(f->order), f->date_separator), *f), d);
    }
  }
}

TEST(date_text, patterns_and_short_dates) {
  const CalendarDate d{2, 9, 2008};
  EXPECT_EQ(FormatDate(d, "mm/dd/yyyy", "/"), "02/09/2008");
  EXPECT_EQ(FormatDate(d, "dd/mm/yyyy", "."), "09.02.2008");
  EXPECT_EQ(FormatDate(d, "yyyy/mm/dd", "-"), "2008-02-09");
  EXPECT_EQ(FormatDate(d, "mmddyyyy", "/"), "02092008");
  EXPECT_EQ(ShortDateText(d, kDE), "09.02.2008");
  EXPECT_EQ(ShortDateText(d, kJP), "2008/02/09");
}

TEST(date_text, day_steps_cross_month_and_year_ends) {
  EXPECT_EQ(AddDays({12, 31, 2007}, 1), (CalendarDate{1, 1, 2008}));
  EXPECT_EQ(AddDays({3, 1, 2008}, -1), (CalendarDate{2, 29, 2008}));
  EXPECT_EQ(AddDays({3, 1, 1900}, -1), (CalendarDate{2, 28, 1900}));
  EXPECT_EQ(AddDays({10, 15, 1582}, 1), (CalendarDate{10, 16, 1582}));  // proleptic Gregorian
}

}  // namespace
}  // namespace tarnwick
