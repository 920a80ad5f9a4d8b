// The text fields of a run converted into the numbers a scan works with, or the reasons a
// run cannot start.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/date_text.h"
#include "core/time_zone.h"
#include "engine/run_settings.h"

namespace tarnwick {

struct RunInputs {
  double start_jd = 0.0;   // Julian day (UT) of local midnight beginning the first day
  double end_jd = 0.0;     // Julian day (UT) of local midnight beginning the last day
  double tz_hours = 0.0;   // Universal Time = local time + tz_hours (a named zone: at the start)
  // The zone of a Time Zone box holding a zone name; null for a fixed offset (tz_hours).
  std::shared_ptr<const TimeZone> zone;
  double last_day_end_jd = 0.0;  // a named zone: Julian day (UT) of the local midnight ending
                                 // the last day (its day may be 23 or 25 hours long)
  DateOrder order = DateOrder::MonthDayYear;  // order of the date texts in the rows
  // The daily time window, minutes after local midnight (0..1440), both bounds inclusive,
  // compared with a moment's clock rounded to the minute as the report shows it; active only
  // with chkEnableTimePeriod on a span whose two date texts are the same text.
  bool time_window = false;
  int window_start_minute = 0;
  int window_end_minute = 0;

  // Whether a moment (Julian day, UT) is shown: inside the daily time window, or any moment
  // when the window is off.
  bool Shows(double jd_ut) const;

  // The time-zone value in force at jd_ut (Julian day, UT): what a moment's local date and
  // time are written with.
  double HoursAt(double jd_ut) const { return zone ? HoursAtMinute(*zone, jd_ut) : tz_hours; }
  // The zone the moments are written in: the named one, or the fixed offset as a zone.
  std::shared_ptr<const TimeZone> ZoneInForce() const { return zone ? zone : FixedOffsetZone(tz_hours); }
  // The end of the span: the local midnight after the last day, Julian day (UT).
  double SpanEndJd() const { return zone ? last_day_end_jd : end_jd + 1.0; }
};

// Minutes after midnight of an hours.minutes number (10.30 gives 630), as DailyTimeValue
// reads a time of day.
int MinutesOfHoursMinutes(double hours_minutes);

struct PreparedRun {
  std::optional<RunInputs> inputs;
  std::vector<std::string> problems;  // one sentence per field, naming it and its text
};

// Time zones beyond this many hours from Universal Time are a typing slip, not a place.
inline constexpr double kMaxTimeZoneHours = 24.0;

// The first day a span may start on: ConvertDatetoJD counts the days up to 15 October 1582
// in the Julian calendar, while the report texts are written in the Gregorian calendar
// (ConvertJDtoDate), so before this day a found moment would be printed on the wrong date at
// a clock time past 24:00.
inline constexpr CalendarDate kFirstSpanDate{10, 16, 1582};

// The zone a Time Zone text names: a number of hours is a fixed offset; otherwise a zone
// name of the tz database ("Europe/Berlin"). nullptr when it is neither (or the number lies
// beyond kMaxTimeZoneHours).
std::shared_ptr<const TimeZone> TimeZoneOf(std::string_view text, char decimal_separator);

// Converts the span, the time zone and (when active) the daily time window. Every field that
// cannot be read is named in `problems`, with its text and, for dates, the order it was read
// in; so is a date before kFirstSpanDate.
PreparedRun PrepareRunInputs(const RunSettings& s, const RegionalFormat& regional);

}  // namespace tarnwick
