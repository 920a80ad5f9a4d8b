// The found rows of a finished run as CSV (RFC 4180: "," between fields, CR LF after each
// record, UTF-8, a header record), for spreadsheets. One record per row, in the report's order.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_text.h"
#include "core/time_zone.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "store/atomic_file.h"

namespace tarnwick {

// A field as RFC 4180 writes it: as it is, or between double quotes with each quote doubled
// when it holds ",", '"', CR or LF.
std::string CsvField(std::string_view text);

// The fields joined by "," and ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

// The UTC offset of a time-zone value as ISO 8601 writes it, to the minute. tz_hours is added
// to local time to give Universal Time (positive west), so 5 gives "-05:00", -5.5 "+05:30" and
// 0 "+00:00".
std::string IsoUtcOffset(double tz_hours);

// The local date and time of an exact moment as the report line shows it (rounded to the
// minute, so 23:59:30 is 00:00 of the next day), in ISO 8601 with its offset:
// "2007-12-02T12:00-05:00". jd_ut: Julian day, Universal Time.
std::string IsoLocalMinute(double jd_ut, double tz_hours);

// The moment in UTC rounded to the second, ISO 8601: "2007-12-02T17:00:00Z".
std::string IsoUtcSecond(double jd_ut);

// A longitude (degrees, any value; reduced into [0, 360)) as degree and minute within its
// sign and the sign's name: "26°06′ Sagittarius". UTF-8 degree sign and prime. Rounded to the
// minute, so 29°59.7′ Aries reads "0°00′ Taurus".
std::string SignDegreeText(double longitude_deg);

// The run kind: "longitude", "right ascension", "declination" or "geo latitude".
std::string_view RunKindName(ScanKind kind, const RunSettings& settings);

// The CSV of a run's rows (sorted as the report is). settings are the run's own; tz_hours its
// time-zone value; format supplies the decimal sign the orbs were typed with. Columns, in order:
//   kind, p1, p1_centre, p2, p2_centre, p3, p3_centre  (p3 fields empty in a two-body run)
//   local_time, utc                                    (IsoLocalMinute, IsoUtcSecond)
//   aspect_codes                                       the report line's codes, outer blanks off
//   aspect1_deg, aspect2_deg, aspect3_deg              the codes as whole degrees, in the order
//                                                      of LongitudeAspectColumns; empty where no
//                                                      aspect lies within the orb
//   p1_deg, p2_deg, p3_deg                             positions, decimal degrees, 6 decimals
//   p1_sign, p2_sign, p3_sign                          SignDegreeText, longitude runs only
//   p1_position, p2_position, p3_position              the trade's notation (Notation::Glyphs):
//                                                      "26°♐06′" with "℞" after a body moving
//                                                      backwards in longitude runs, "23°26′ S"
//                                                      in declination and latitude runs, empty
//                                                      in right ascension runs
//   aspect1_name, aspect2_name, aspect3_name           the aspects of aspect1_deg.. by name
//                                                      ("square", "105"; Notation::Text);
//                                                      "parallel" or "contra-parallel" in a
//                                                      two-body declination run
//   chart                                              only in a run with a natal chart
//                                                      (chart_name not empty): its name on
//                                                      the rows with a natal role, else empty
// In a declination or latitude run aspect_codes is empty (the report names no aspect) and
// aspect1_deg is 0 for a parallel, 180 for a contra-parallel in a two-body run (the signs of
// P1 and P2 tell them apart), empty in a three-body run.
std::string RunCsv(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   double tz_hours, const RegionalFormat& format);
// The same with the zone of the run: each row's local time carries the offset in force at
// its moment (HoursAtMinute), so the repeated hour of an autumn change shows both offsets.
std::string RunCsv(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   const TimeZone& zone, const RegionalFormat& format,
                   std::string_view chart_name = {});

// Writes a CSV text to a file the user named (commit or nothing; a link is followed).
FileStatus SaveCsv(const std::filesystem::path& path, std::string_view csv);

// Writes the CSV of a finished run (its rows, kind and settings) to a file the user named.
// The time zone is read from settings as the run read it.
FileStatus SaveRunCsv(const std::filesystem::path& path, const FoundAspects& rows, ScanKind kind,
                      const RunSettings& settings, const RegionalFormat& format,
                      std::string_view chart_name = {});

}  // namespace tarnwick
