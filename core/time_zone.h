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

  // The offset HoursAt gives at jd_ut and the whole seconds since 1970-01-01 0h UT, [begin,
  // end), over which it gives that same offset: jd_ut falls in the span as rounded to the
  // second. A zone that cannot tell gives the one second jd_ut rounds to.
  struct OffsetSpan {
    double hours = 0.0;
    long long begin = 0;
    long long end = 0;
  };
  virtual OffsetSpan SpanAt(double jd_ut) const;
};

// The offset a moment is printed with: the one in force at the minute it rounds to, so a
// moment at 00:59:50 UT on the day Berlin leaves summer time at 01:00 UT is written 02:00
// with its winter offset, not 03:00 with its summer one. jd_ut: Julian day, UT. (A moment
// within a rounding error of a half minute may round the other way here than its clock
// text does; the solver's moments never sit there exactly.)
double HoursAtMinute(const TimeZone& zone, double jd_ut);

// HoursAtMinute for the many moments of one run: keeps the span over which the offset last
// read holds, so that rows in time order ask the zone's rules once per change of offset (a
// database zone's look-up costs far more than a report line). Not for sharing between
// threads; the zone must outlive it.
class MinuteOffsets {
 public:
  explicit MinuteOffsets(const TimeZone& zone) : zone_(zone) {}
  double HoursAtMinute(double jd_ut);

 private:
  const TimeZone& zone_;
  TimeZone::OffsetSpan span_;  // empty until the first look-up
};

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
