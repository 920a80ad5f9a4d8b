#include "engine/run_inputs.h"

#include <cmath>
#include <tuple>

#include "core/calendar.h"
#include "core/message_text.h"

namespace tarnwick {

namespace {

bool Before(const CalendarDate& a, const CalendarDate& b) {
  return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

// A date of the span that the calendar conversions cannot carry, or "" when it is fine.
std::string TooEarly(const char* label, const std::string& text, const CalendarDate& date,
                     const RegionalFormat& regional) {
  if (!Before(date, kFirstSpanDate)) return {};
  return std::string(label) + ": " + Quoted(text) + " lies before " +
         ShortDateText(kFirstSpanDate, regional) +
         ", the first day the program can show: before the Gregorian calendar reform of "
         "October 1582 its dates would be printed wrongly.";
}

}  // namespace

std::shared_ptr<const TimeZone> TimeZoneOf(std::string_view text, char decimal_separator) {
  if (const auto hours = TimeZoneHours(text, decimal_separator)) {
    return std::fabs(*hours) > kMaxTimeZoneHours ? nullptr : FixedOffsetZone(*hours);
  }
  return NamedZone(text);
}

int MinutesOfHoursMinutes(double hours_minutes) {
  const double hours = std::floor(hours_minutes);
  return static_cast<int>(hours) * 60 + static_cast<int>(std::lround((hours_minutes - hours) * 100.0));
}

bool RunInputs::Shows(double jd_ut) const {
  if (!time_window) return true;
  const int minute = LocalClockAt(jd_ut, HoursAt(jd_ut)).MinuteOfDay();
  return window_start_minute <= minute && minute <= window_end_minute;
}

PreparedRun PrepareRunInputs(const RunSettings& s, const RegionalFormat& regional) {
  PreparedRun out;
  auto& problems = out.problems;
  const std::string order_name(DateOrderName(regional.order));

  const auto start = DateFromText(s.txtStartDate, regional);
  if (!start) {
    problems.push_back("Start Date: " + Quoted(s.txtStartDate) + " is not a valid date in the order " +
                       order_name + ".");
  }
  const auto end = DateFromText(s.txtEndDate, regional);
  if (!end) {
    problems.push_back("End Date: " + Quoted(s.txtEndDate) + " is not a valid date in the order " +
                       order_name + ".");
  }
  for (const auto& [label, text, date] : {std::tuple{"Start Date", &s.txtStartDate, start},
                                         std::tuple{"End Date", &s.txtEndDate, end}}) {
    if (!date) continue;
    if (std::string early = TooEarly(label, *text, *date, regional); !early.empty()) {
      problems.push_back(std::move(early));
    }
  }
  auto tz = TimeZoneHours(s.txtTZ, regional.decimal_separator);
  std::shared_ptr<const TimeZone> named;
  if (!tz) {
    named = NamedZone(s.txtTZ);
    if (!named) {
      problems.push_back("Time Zone: " + Quoted(s.txtTZ) +
                         " is not a number of hours (for example 5, -3 or 5.5) nor a time zone "
                         "name of the tz database (for example Europe/Berlin).");
    }
  } else if (std::fabs(*tz) > kMaxTimeZoneHours) {
    problems.push_back("Time Zone: " + Quoted(s.txtTZ) + " lies beyond 24 hours from Universal Time.");
  }

  RunInputs in;
  in.order = regional.order;
  in.time_window = s.chkEnableTimePeriod && s.txtStartDate == s.txtEndDate;
  if (in.time_window) {
    const auto from = DailyTimeValue(s.txtStartTime, regional.decimal_separator);
    const auto to = DailyTimeValue(s.txtEndTime, regional.decimal_separator);
    // Refused rather than compared: "1130" or "2599" would hide every aspect of the day and
    // the report would only say that none lies in the span.
    constexpr const char* kTimeOfDay =
        " is not a time of day: hours from 0 to 24 and minutes below 60, as 10:30 or 10.30.";
    if (!from) problems.push_back("Start Time: " + Quoted(s.txtStartTime) + kTimeOfDay);
    if (!to) problems.push_back("End Time: " + Quoted(s.txtEndTime) + kTimeOfDay);
    in.window_start_minute = MinutesOfHoursMinutes(from.value_or(0.0));
    in.window_end_minute = MinutesOfHoursMinutes(to.value_or(0.0));
  }
  if (start && end && named) {
    // Local days of the zone: each bound is the instant of a local midnight.
    in.zone = named;
    in.start_jd = named->InstantOf(ConvertDatetoJD(start->month, start->day, start->year));
    in.end_jd = named->InstantOf(ConvertDatetoJD(end->month, end->day, end->year));
    in.last_day_end_jd = named->InstantOf(ConvertDatetoJD(end->month, end->day, end->year) + 1.0);
    in.tz_hours = named->HoursAt(in.start_jd);
    if (in.end_jd < in.start_jd) {
      problems.push_back("End Date: " + Quoted(s.txtEndDate) + " lies before the start date " +
                         Quoted(s.txtStartDate) + ".");
    }
  }
  if (start && end && tz) {
    in.tz_hours = *tz;
    in.start_jd = ConvertDatetoJD(start->month, start->day, start->year) + *tz / 24.0;
    in.end_jd = ConvertDatetoJD(end->month, end->day, end->year) + *tz / 24.0;
    if (in.end_jd < in.start_jd) {
      problems.push_back("End Date: " + Quoted(s.txtEndDate) + " lies before the start date " +
                         Quoted(s.txtStartDate) + ".");
    }
  }
  if (problems.empty()) out.inputs = in;
  return out;
}

}  // namespace tarnwick
