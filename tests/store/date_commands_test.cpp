#include "store/date_commands.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using enum DateCommand;

const RegionalFormat kMdy{DateOrder::MonthDayYear, "/", '.'};
const RegionalFormat kDmy{DateOrder::DayMonthYear, ".", ','};
const RegionalFormat kYmd{DateOrder::YearMonthDay, "/", '.'};

struct Row {
  const char* name;
  const RegionalFormat* format;
  DateCommand command;
  DateBoxes before;
  DateBoxes after;
};

TEST(date_commands, month_and_day_steps_in_every_order) {
  const Row rows[] = {
      // Month steps take the start date's month; the old end date plays no part.
      {"next month over the year end", &kMdy, NextMonth,
       {"12/15/2007", "x"}, {"01/01/2008", "01/31/2008"}},
      {"previous month", &kMdy, PreviousMonth,
       {"12/15/2007", "12/31/2007"}, {"11/01/2007", "11/30/2007"}},
      {"next month into a leap February", &kMdy, NextMonth,
       {"01/31/2008", ""}, {"02/01/2008", "02/29/2008"}},
      {"previous month over the year start", &kMdy, PreviousMonth,
       {"1/10/2008", ""}, {"12/01/2007", "12/31/2007"}},
      {"next month over the year end", &kDmy, NextMonth,
       {"15.12.2007", "x"}, {"01.01.2008", "31.01.2008"}},
      {"previous month", &kDmy, PreviousMonth, {"15.12.2007", ""}, {"01.11.2007", "30.11.2007"}},
      {"next month into a leap February", &kDmy, NextMonth,
       {"31.01.2008", ""}, {"01.02.2008", "29.02.2008"}},
      {"previous month over the year start", &kYmd, PreviousMonth,
       {"2008/01/10", ""}, {"2007/12/01", "2007/12/31"}},
      {"next month over the year end", &kYmd, NextMonth,
       {"2007/12/15", ""}, {"2008/01/01", "2008/01/31"}},
      {"next month into a common February", &kYmd, NextMonth,
       {"2007/01/31", ""}, {"2007/02/01", "2007/02/28"}},
      // Day steps across month and year ends; the other box is left alone.
      {"next start date over the year end", &kMdy, NextStartDate,
       {"12/31/2007", "x"}, {"01/01/2008", "x"}},
      {"previous end date into a leap day", &kMdy, PreviousEndDate,
       {"x", "03/01/2008"}, {"x", "02/29/2008"}},
      {"previous start date", &kMdy, PreviousStartDate, {"3/1/2007", "x"}, {"02/28/2007", "x"}},
      {"next end date", &kMdy, NextEndDate, {"x", "02/28/2008"}, {"x", "02/29/2008"}},
      {"next start date over the year end", &kDmy, NextStartDate,
       {"31.12.2007", "x"}, {"01.01.2008", "x"}},
      {"previous end date into a leap day", &kDmy, PreviousEndDate,
       {"x", "01.03.2008"}, {"x", "29.02.2008"}},
      {"next start date over the year end", &kYmd, NextStartDate,
       {"2007/12/31", "x"}, {"2008/01/01", "x"}},
      {"previous end date into a leap day", &kYmd, PreviousEndDate,
       {"x", "2008/03/01"}, {"x", "2008/02/29"}},
      // The copy takes the text as it stands, date or not.
      {"end same as start", &kMdy, EndDateSameAsStartDate,
       {"not a date", "12/31/2007"}, {"not a date", "not a date"}},
      {"end same as start", &kYmd, EndDateSameAsStartDate,
       {"2007/12/01", ""}, {"2007/12/01", "2007/12/01"}},
  };
  for (const Row& r : rows) {
    const DateCommandResult result = ApplyDateCommand(r.command, r.before, *r.format);
    const std::string where = std::string(r.name) + " (" +
                              std::string(DateOrderName(r.format->order)) + ")";
    EXPECT_EQ(result.message, "") << where;
    EXPECT_EQ(result.boxes.start, r.after.start) << where;
    EXPECT_EQ(result.boxes.end, r.after.end) << where;
  }
}

TEST(date_commands, refused_step_leaves_boxes_and_names_box_text_and_order) {
  struct Refusal {
    const RegionalFormat* format;
    DateCommand command;
    DateBoxes boxes;
    const char* message;
  };
  const Refusal rows[] = {
      {&kMdy, NextStartDate, {"13/45/2007", "12/31/2007"},
       "Start Date \"13/45/2007\" is not a valid date in the month/day/year order."},
      {&kMdy, NextMonth, {"", "12/31/2007"},
       "Start Date \"\" is not a valid date in the month/day/year order."},
      {&kDmy, PreviousEndDate, {"01.12.2007", "12/31/2007"},  // month 31 in day/month order
       "End Date \"12/31/2007\" is not a valid date in the day/month/year order."},
      {&kYmd, PreviousMonth, {"12/01/2007", "2007/12/31"},
       "Start Date \"12/01/2007\" is not a valid date in the year/month/day order."},
      {&kMdy, NextEndDate, {"", "02/30/2008"},
       "End Date \"02/30/2008\" is not a valid date in the month/day/year order."},
      {&kMdy, NextStartDate, {"12/31/9999", ""},
       "Start Date \"12/31/9999\" cannot move forward: dates run from the year 1 to the year "
       "9999."},
      {&kMdy, PreviousEndDate, {"", "01/01/0001"},
       "End Date \"01/01/0001\" cannot move back: dates run from the year 1 to the year 9999."},
      {&kMdy, NextMonth, {"12/15/9999", ""},
       "Start Date \"12/15/9999\" has no next month: dates run from the year 1 to the year "
       "9999."},
  };
  for (const Refusal& r : rows) {
    const DateCommandResult result = ApplyDateCommand(r.command, r.boxes, *r.format);
    EXPECT_FALSE(result.ok()) << r.message;
    EXPECT_EQ(result.message, r.message);
    EXPECT_EQ(result.boxes, r.boxes) << r.message;
  }
}

}  // namespace
}  // namespace tarnwick
