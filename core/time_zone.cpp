#include "core/time_zone.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>

namespace tarnwick {

namespace {

constexpr double kUnixEpochJd = 2440587.5;  // 1970-01-01 0h UT as a Julian day
constexpr double kSecondsPerDay = 86400.0;
constexpr double kSecondsPerHour = 3600.0;

// Julian days as whole seconds since 1970-01-01 0h UT. Rounded to the second: the database's
// offsets change on whole seconds, and a moment a fraction of a second before a change is
// printed at the minute anyway.
long long UnixSeconds(double jd_ut) { return std::llround((jd_ut - kUnixEpochJd) * kSecondsPerDay); }

// The same as a time point of the tz library.
std::chrono::sys_seconds SysSeconds(double jd_ut) {
  return std::chrono::sys_seconds(std::chrono::seconds(UnixSeconds(jd_ut)));
}

double JdOfSeconds(long long seconds_since_epoch) {
  return kUnixEpochJd + static_cast<double>(seconds_since_epoch) / kSecondsPerDay;
}

class FixedZone final : public TimeZone {
 public:
  explicit FixedZone(double hours) : hours_(hours) {}
  double HoursAt(double) const override { return hours_; }
  double InstantOf(double jd_local) const override { return jd_local + hours_ / 24.0; }
  double StandardHoursAt(double) const override { return hours_; }
  std::string Name() const override { return {}; }
  OffsetSpan SpanAt(double) const override {
    return {hours_, std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
  }

 private:
  double hours_;
};

class DatabaseZone final : public TimeZone {
 public:
  explicit DatabaseZone(const date::time_zone* zone) : zone_(zone) {}

  double HoursAt(double jd_ut) const override {
    const date::sys_info info = zone_->get_info(SysSeconds(jd_ut));
    return -static_cast<double>(info.offset.count()) / kSecondsPerHour;
  }

  double InstantOf(double jd_local) const override {
    const auto local_seconds = static_cast<long long>(std::llround((jd_local - kUnixEpochJd) * kSecondsPerDay));
    const date::local_seconds local{std::chrono::seconds(local_seconds)};
    const date::local_info info = zone_->get_info(local);
    // unique: one offset; ambiguous (autumn): the first; nonexistent (spring): the offset
    // before the change, so the clock time lands after the gap by its length.
    const std::chrono::seconds offset = info.first.offset;
    return JdOfSeconds(local_seconds - offset.count());
  }

  double StandardHoursAt(double jd_ut) const override {
    const date::sys_info info = zone_->get_info(SysSeconds(jd_ut));
    const auto standard = std::chrono::duration_cast<std::chrono::seconds>(info.offset - info.save);
    return -static_cast<double>(standard.count()) / kSecondsPerHour;
  }

  std::string Name() const override { return std::string(zone_->name()); }

  OffsetSpan SpanAt(double jd_ut) const override {
    const date::sys_info info = zone_->get_info(SysSeconds(jd_ut));
    return {-static_cast<double>(info.offset.count()) / kSecondsPerHour,
            info.begin.time_since_epoch().count(), info.end.time_since_epoch().count()};
  }

 private:
  const date::time_zone* zone_;  // owned by the library's database, which lives to the end
};

}  // namespace

TimeZone::OffsetSpan TimeZone::SpanAt(double jd_ut) const {
  const long long second = UnixSeconds(jd_ut);
  return {HoursAt(jd_ut), second, second + 1};
}

namespace {

// The moment HoursAtMinute reads the offset at: the minute jd_ut rounds to.
double MinuteOf(double jd_ut) {
  constexpr double kMinutesPerDay = 1440.0;
  return std::round(jd_ut * kMinutesPerDay) / kMinutesPerDay;
}

}  // namespace

double HoursAtMinute(const TimeZone& zone, double jd_ut) { return zone.HoursAt(MinuteOf(jd_ut)); }

double MinuteOffsets::HoursAtMinute(double jd_ut) {
  const double minute = MinuteOf(jd_ut);
  const long long second = UnixSeconds(minute);
  if (second < span_.begin || second >= span_.end) span_ = zone_.SpanAt(minute);
  return span_.hours;
}

std::string StandardOffsetText(const TimeZone& zone) {
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  const double hours = zone.StandardHoursAt(JdOfSeconds(now.time_since_epoch().count()));
  // Whole minutes, written without trailing zeros: -5.5, 5.75, -1.
  const long minutes = std::lround(hours * 60.0);
  std::string text = std::to_string(minutes / 60);
  if (minutes < 0 && minutes > -60) text = "-" + text;
  if (const long rest = std::labs(minutes % 60); rest != 0) {
    std::string fraction = std::to_string(rest * 10000 / 60);  // ten-thousandths of an hour
    fraction.insert(0, 4 - fraction.size(), '0');
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text;
}

std::shared_ptr<const TimeZone> FixedOffsetZone(double hours) {
  return std::make_shared<FixedZone>(hours);
}

std::shared_ptr<const TimeZone> NamedZone(std::string_view name) {
  // A name is a path into the database: keep out anything that is no zone name, so that
  // "../../etc/passwd" or an empty text never reaches the files.
  if (name.empty() || name.size() > 64 || name.front() == '/' || name.find("..") != std::string_view::npos) {
    return nullptr;
  }
  for (const char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '/' || c == '_' || c == '-' || c == '+';
    if (!ok) return nullptr;
  }
  try {
    return std::make_shared<DatabaseZone>(date::locate_zone(name));
  } catch (const std::exception&) {
    return nullptr;  // unknown name, or no database on this machine
  }
}

std::vector<std::string> TimeZoneNames() {
  std::vector<std::string> names;
  try {
    const date::tzdb& db = date::get_tzdb();
    for (const date::time_zone& z : db.zones) names.emplace_back(z.name());
  } catch (const std::exception&) {
    return {};
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace tarnwick
