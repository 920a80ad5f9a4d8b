// The start-up file "Quillmere.ini": the span, the daily time window, the time zone and the
// path of the last settings file, kept from one session of the program to the next.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/calendar.h"
#include "core/date_text.h"
#include "engine/run_settings.h"
#include "store/atomic_file.h"
#include "store/text_encoding.h"

namespace tarnwick {

inline constexpr std::string_view kStartupFileName = "Quillmere.ini";
inline constexpr std::string_view kStartupFileHeader =
    "[Quillmere] - Do NOT change the order of these variables.";

// The values the start-up file keeps, named after the controls they fill.
struct StartupValues {
  std::string txtStartDate;
  std::string txtEndDate;
  std::string txtStartTime = "10:00";
  std::string txtEndTime = "10:59";
  std::string txtTZ = "5";
  std::string settings_file_path;  // full path of the current settings file, "" for none
  friend bool operator==(const StartupValues&, const StartupValues&) = default;
};

// The values before any file is read: the first and the last day of today's month written
// with the pattern of the regional order (its "/" the regional separator), "10:00", "10:59",
// time zone "5", no settings file. today is passed in; the caller reads the clock.
StartupValues DefaultStartupValues(const CalendarDate& today, const RegionalFormat& format);

// Applies start-up file text to `values`. The bytes are decoded by DecodeTextFile (UTF-8,
// Windows-1252 or UTF-16 with its mark). For each line (CR LF, CR or LF) the value is
// everything after the first "=", or the whole line when there is none. A line whose first
// characters equal a key, case-sensitively and over exactly the key's length ("start_date",
// "end_date", "start_time", "end_time", "time_zone", "OutputNameFileOPTFile"), stores a
// non-empty value; "start_dates=1/1/2000" therefore sets the start date. Later lines win;
// the order of lines and the header do not matter. Text that is no text (binary content)
// changes nothing, and a value longer than kMaxFieldTextBytes is ignored; `problem`, when
// given, then receives why, in words that follow the file's name.
StartupValues StartupValuesFromText(std::string_view text, StartupValues values,
                                    std::string* problem = nullptr);

// The key of an eighth line kept when the Time Zone box holds a zone name of the tz database:
// time_zone then holds the zone's standard offset (StandardOffsetText), so readers that know
// seven lines and fixed offsets keep working; reading, a zone_name naming a zone of the
// database sets the time zone.
inline constexpr std::string_view kStartupZoneNameKey = "zone_name";

// The seven lines of the file, each ended by CR LF: the header, then
// start_date, end_date, start_time, end_time, time_zone, OutputNameFileOPTFile; and
// zone_name=NAME when the time zone is a zone name.
std::string StartupFileText(const StartupValues& values);

struct StartupLoad {
  StartupValues values;
  std::string message;  // empty when the file was read whole or does not exist
};

// Reads the file at path over the defaults of today and format. A missing file leaves the
// defaults quietly; a file that exists but cannot be read, or holds no text, leaves them and
// says why; an over-long value is ignored and named.
StartupLoad ReadStartupFile(const std::filesystem::path& path, const CalendarDate& today,
                            const RegionalFormat& format);

// Writes the seven lines to path, replacing it as a whole or not at all. Refused, with the
// old file kept, when a value holds a line break (it would break into lines of its own). A
// symbolic link at path is replaced by the file, never written through.
// A file the user has made read-only (no write permission bit for this user; checked on the
// bits, since root could write anyway) is left as it is: the answer is then ok, with a
// message saying so.
FileStatus WriteStartupFile(const std::filesystem::path& path, const StartupValues& values);

// The five texts of `values` placed into the run settings' fields of the same names.
void ApplyStartupValues(const StartupValues& values, RunSettings& settings);

// The five texts taken from the run settings, with the current settings-file path.
StartupValues StartupValuesOf(const RunSettings& settings, std::string settings_file_path);

}  // namespace tarnwick
