// Time zones: the UTC offset at an instant and the instant of a local clock time, for a
// fixed offset or a zone of the system's tz database (IANA names such as "Europe/Berlin").
// Nothing else in the program reads zone rules.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Offsets are the program's time-zone value: hours added to local time to give Universal
// Time, positive west of Greenwich (New York in winter 5, Berlin in winter -1, in summer -2).
class TimeZone {
 public:
  virtual ~TimeZone() = default;

  // The offset in force at jd_ut (Julian day, Universal Time), hours, positive west.
  virtual double HoursAt(double jd_ut) const = 0;

  // The instant (Julian day, UT) of a local clock time given as a Julian day counted on the
  // local clock (jd_local = ConvertDatetoJD(date) + hours / 24). A clock time skipped by a
  // spring change is read with the offset before the change (02:30 becomes 03:30 summer time);
  // a clock time shown twice in autumn is its first showing.
  virtual double InstantOf(double jd_local) const = 0;

  // The offset without summer time in force at jd_ut, hours positive west.
  virtual double StandardHoursAt(double jd_ut) const = 0;

  // The zone's name; empty for a fixed offset.
  virtual std::string Name() const = 0;
};

// The offset a moment is printed with: the one in force at the minute it rounds to, so a
// moment at 00:59:50 UT on the day Berlin leaves summer time at 01:00 UT is written 02:00
// with its winter offset, not 03:00 with its summer one. jd_ut: Julian day, UT. (A moment
// within a rounding error of a half minute may round the other way here than its clock
// text does; the solver's moments never sit there exactly.)
double HoursAtMinute(const TimeZone& zone, double jd_ut);

// The zone's standard offset (without summer time) now, as a fixed-offset text with "." as
// decimal sign ("-1", "5", "-5.5"): what files read by programs that know only fixed offsets
// keep where they kept the offset.
std::string StandardOffsetText(const TimeZone& zone);

// A fixed offset, hours positive west: today's meaning of the Time Zone box.
std::shared_ptr<const TimeZone> FixedOffsetZone(double hours);

// The zone of the tz database with this name, or nullptr when the database has none (names
// are case-sensitive, as the database writes them).
std::shared_ptr<const TimeZone> NamedZone(std::string_view name);

// Every zone name of the tz database (the system's zoneinfo files, old names included), sorted; empty when the database
// cannot be read.
std::vector<std::string> TimeZoneNames();

}  // namespace tarnwick
