// The date navigation commands of the main window: start or end date one day back or forward,
// both dates to the whole previous or next month, and the end date copied from the start date.
#pragma once

#include <string>

#include "core/date_text.h"

namespace tarnwick {

// The texts of the two date boxes, txtStartDate and txtEndDate.
struct DateBoxes {
  std::string start;
  std::string end;
  friend bool operator==(const DateBoxes&, const DateBoxes&) = default;
};

enum class DateCommand {
  PreviousStartDate,       // start date one day back
  NextStartDate,           // start date one day forward
  PreviousEndDate,         // end date one day back
  NextEndDate,             // end date one day forward
  PreviousMonth,           // both dates to the whole month before the start date's month
  NextMonth,               // both dates to the whole month after the start date's month
  EndDateSameAsStartDate,  // the end box gets the start box's text unchanged, date or not
};

struct DateCommandResult {
  DateBoxes boxes;      // the new texts; the old ones when the command was refused
  std::string message;  // empty on success; else why nothing changed
  bool ok() const { return message.empty(); }
};

// Applies a command to the boxes. Day steps read the box with DateFromText, move one day
// across month and year ends and write ShortDateText. Month steps derive both dates from the
// start date's month alone and write them with the order's pattern (DatePattern), "/" being
// the regional separator. A box that does not hold a valid date in the regional order, or a
// step past the years 1 to 9999 that date texts can hold, leaves both boxes unchanged and
// the message says which box, its text and the order it was read in, e.g.
// Start Date "13/45/2007" is not a valid date in the month/day/year order.
DateCommandResult ApplyDateCommand(DateCommand command, const DateBoxes& boxes,
                                   const RegionalFormat& format);

}  // namespace tarnwick
