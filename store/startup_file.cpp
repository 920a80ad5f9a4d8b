#include "store/startup_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <vector>

#include "core/message_text.h"
#include "core/time_zone.h"

namespace tarnwick {

namespace {

struct StartupKey {
  std::string_view key;
  std::string StartupValues::*member;
};

// In the order the file writes them.
constexpr std::array<StartupKey, 6> kKeys = {{
    {"start_date", &StartupValues::txtStartDate},
    {"end_date", &StartupValues::txtEndDate},
    {"start_time", &StartupValues::txtStartTime},
    {"end_time", &StartupValues::txtEndTime},
    {"time_zone", &StartupValues::txtTZ},
    {"OutputNameFileOPTFile", &StartupValues::settings_file_path},
}};

// Whether the file at path is a regular file this user may not write, judged on its
// permission bits: the owner's bit for its owner, any write bit for root (who writes through
// the bits, but a file nobody may write is meant to stay), the group's or the others' bit
// for anyone else. A symbolic link is judged as a link (replaced, never written through).
bool ReadOnlyForUs(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const uid_t me = ::geteuid();
  if (me == st.st_uid) return (st.st_mode & S_IWUSR) == 0;
  if (me == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  if (::getegid() == st.st_gid) return (st.st_mode & S_IWGRP) == 0;
  return (st.st_mode & S_IWOTH) == 0;
}

}  // namespace

StartupValues DefaultStartupValues(const CalendarDate& today, const RegionalFormat& format) {
  StartupValues v;
  const std::string_view pattern = DatePattern(format.order);
  v.txtStartDate = FormatDate({today.month, 1, today.year}, pattern, format.date_separator);
  v.txtEndDate = FormatDate({today.month, Days_in_Month(today.year, today.month), today.year},
                            pattern, format.date_separator);
  return v;
}

StartupValues StartupValuesFromText(std::string_view text, StartupValues values,
                                    std::string* problem) {
  const DecodedText decoded = DecodeTextFile(text);
  if (!decoded.ok) {
    if (problem) *problem = decoded.problem + "; none of its values was used";
    return values;
  }
  std::vector<std::string> ignored;
  std::string zone_name;
  for (const std::string& line : SplitLines(decoded.text)) {
    const size_t eq = line.find('=');
    const std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
    if (value.empty()) continue;
    if (line.starts_with(kStartupZoneNameKey) && eq == kStartupZoneNameKey.size()) {
      zone_name = value;
      continue;
    }
    for (const StartupKey& k : kKeys) {
      if (!line.starts_with(k.key)) continue;
      if (value.size() > kMaxFieldTextBytes) {
        ignored.push_back("the value of " + std::string(k.key) + " is " +
                          std::to_string(value.size()) + " bytes long and was ignored");
      } else {
        values.*k.member = value;
      }
    }
  }
  // A zone name of the database wins over the offset kept beside it for older readers.
  if (!zone_name.empty() && NamedZone(zone_name)) values.txtTZ = zone_name;
  if (problem && !ignored.empty()) {
    *problem = ignored.front();
    for (size_t i = 1; i < ignored.size(); ++i) *problem += "; " + ignored[i];
  }
  return values;
}

std::string StartupFileText(const StartupValues& values) {
  std::vector<std::string> lines{std::string(kStartupFileHeader)};
  const std::shared_ptr<const TimeZone> named =
      TimeZoneHours(values.txtTZ, '.') ? nullptr : NamedZone(values.txtTZ);
  for (const StartupKey& k : kKeys) {
    const bool zone_line = named && k.member == &StartupValues::txtTZ;
    lines.push_back(std::string(k.key) + "=" + (zone_line ? StandardOffsetText(*named) : values.*k.member));
  }
  if (named) lines.push_back(std::string(kStartupZoneNameKey) + "=" + named->Name());
  return JoinLinesCrLf(lines);
}

StartupLoad ReadStartupFile(const std::filesystem::path& path, const CalendarDate& today,
                            const RegionalFormat& format) {
  StartupLoad out{DefaultStartupValues(today, format), {}};
  const FileRead read = ReadWholeFile(path);
  if (!read.ok) {
    if (!read.missing) out.message = read.message;
    return out;
  }
  std::string problem;
  out.values = StartupValuesFromText(read.bytes, out.values, &problem);
  if (!problem.empty()) {
    out.message = "Start-up file " + Quoted(path.string()) + ": " + problem + ".";
  }
  return out;
}

FileStatus WriteStartupFile(const std::filesystem::path& path, const StartupValues& values) {
  for (const StartupKey& k : kKeys) {
    if (HoldsLineBreak(values.*k.member)) {
      return {false, "Could not save " + Quoted(path.string()) + ": the value of " +
                         std::string(k.key) +
                         " holds a line break, which the start-up file cannot store."};
    }
  }
  if (ReadOnlyForUs(path)) {
    return {true, "Left " + Quoted(path.string()) +
                      " as it is: the file is read-only, so this session's span, times, time "
                      "zone and settings file are not kept in it."};
  }
  return WriteFileAtomically(path, StartupFileText(values));
}

void ApplyStartupValues(const StartupValues& values, RunSettings& settings) {
  settings.txtStartDate = values.txtStartDate;
  settings.txtEndDate = values.txtEndDate;
  settings.txtStartTime = values.txtStartTime;
  settings.txtEndTime = values.txtEndTime;
  settings.txtTZ = values.txtTZ;
}

StartupValues StartupValuesOf(const RunSettings& settings, std::string settings_file_path) {
  return {settings.txtStartDate, settings.txtEndDate, settings.txtStartTime,
          settings.txtEndTime,   settings.txtTZ,      std::move(settings_file_path)};
}

}  // namespace tarnwick
