#include "store/date_commands.h"

#include <optional>
#include <string_view>

#include "core/calendar.h"
#include "core/message_text.h"

namespace tarnwick {

namespace {

// Date texts carry a four-digit year, so these are the years a box can hold and read back.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

constexpr std::string_view kStartBox = "Start Date";
constexpr std::string_view kEndBox = "End Date";

DateCommandResult Refused(const DateBoxes& boxes, std::string message) {
  return {boxes, std::move(message)};
}

std::string NotADate(std::string_view box, std::string_view text, const RegionalFormat& format) {
  return std::string(box) + " " + Quoted(text) + " is not a valid date in the " +
         std::string(DateOrderName(format.order)) + " order.";
}

DateCommandResult StepDay(const DateBoxes& boxes, bool start_box, int days,
                          const RegionalFormat& format) {
  const std::string& text = start_box ? boxes.start : boxes.end;
  const std::string_view box = start_box ? kStartBox : kEndBox;
  const std::optional<CalendarDate> date = DateFromText(text, format);
  if (!date) return Refused(boxes, NotADate(box, text, format));
  const CalendarDate next = AddDays(*date, days);
  if (next.year < kFirstYear || next.year > kLastYear) {
    return Refused(boxes, std::string(box) + " " + Quoted(text) + " cannot move " +
                              (days < 0 ? "back" : "forward") +
                              ": dates run from the year 1 to the year 9999.");
  }
  DateBoxes out = boxes;
  (start_box ? out.start : out.end) = ShortDateText(next, format);
  return {out, {}};
}

DateCommandResult StepMonth(const DateBoxes& boxes, int months, const RegionalFormat& format) {
  const std::optional<CalendarDate> start = DateFromText(boxes.start, format);
  if (!start) return Refused(boxes, NotADate(kStartBox, boxes.start, format));
  int month = start->month + months;
  int year = start->year;
  if (month == 13) {
    month = 1;
    ++year;
  } else if (month == 0) {
    month = 12;
    --year;
  }
  if (year < kFirstYear || year > kLastYear) {
    return Refused(boxes, std::string(kStartBox) + " " + Quoted(boxes.start) + " has no " +
                              (months < 0 ? "previous" : "next") +
                              " month: dates run from the year 1 to the year 9999.");
  }
  const std::string_view pattern = DatePattern(format.order);
  return {DateBoxes{FormatDate({month, 1, year}, pattern, format.date_separator),
                    FormatDate({month, Days_in_Month(year, month), year}, pattern,
                               format.date_separator)},
          {}};
}

}  // namespace

DateCommandResult ApplyDateCommand(DateCommand command, const DateBoxes& boxes,
                                   const RegionalFormat& format) {
  switch (command) {
    case DateCommand::PreviousStartDate: return StepDay(boxes, true, -1, format);
    case DateCommand::NextStartDate: return StepDay(boxes, true, +1, format);
    case DateCommand::PreviousEndDate: return StepDay(boxes, false, -1, format);
    case DateCommand::NextEndDate: return StepDay(boxes, false, +1, format);
    case DateCommand::PreviousMonth: return StepMonth(boxes, -1, format);
    case DateCommand::NextMonth: return StepMonth(boxes, +1, format);
    case DateCommand::EndDateSameAsStartDate: return {DateBoxes{boxes.start, boxes.start}, {}};
  }
  return {boxes, {}};
}

}  // namespace tarnwick
