#include "report/csv_export.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/angles.h"
#include "core/bodies.h"
#include "core/calendar.h"
#include "core/number_text.h"
#include "engine/run_inputs.h"
#include "report/notation.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::string TwoDigits(int n) { return FormatFixed(n, 2, 0); }

std::string CentreName(Centre c) {
  return c == Centre::Helio ? "heliocentric" : c == Centre::Natal ? "natal" : "geocentric";
}

// "yyyy-mm-dd" of a proleptic Gregorian date.
std::string IsoDate(const CalendarDate& d) {
  return FormatDate(d, "yyyy-mm-dd", "-");
}

// An aspect code ("090") as whole degrees ("90"); "" for kNoAspect.
std::string CodeDegrees(std::string_view code) {
  int degrees = 0;
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), degrees);
  if (error != std::errc() || end != code.data() + code.size()) return {};
  return std::to_string(degrees);
}

std::string_view TrimBlanks(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += CsvField(fields[i]);
  }
  out += "\r\n";
  return out;
}

std::string IsoUtcOffset(double tz_hours) {
  // Local time = UT - tz_hours, so the offset east of Greenwich is -tz_hours.
  const long minutes = std::lround(-tz_hours * 60.0);
  const long magnitude = std::labs(minutes);
  return std::string(minutes < 0 ? "-" : "+") + TwoDigits(static_cast<int>(magnitude / 60)) +
         ":" + TwoDigits(static_cast<int>(magnitude % 60));
}

std::string IsoLocalMinute(double jd_ut, double tz_hours) {
  // The report's own texts, in year/month/day order, so the CSV never disagrees with a line.
  const DateAndTimeText local = ConvertJDtoDateandTime(jd_ut, tz_hours, DateOrder::YearMonthDay);
  std::string date = local.date;
  for (char& c : date) {
    if (c == '/') c = '-';
  }
  return date + "T" + local.time + IsoUtcOffset(tz_hours);
}

std::string IsoUtcSecond(double jd_ut) {
  // Seconds since the civil midnight that begins Julian day 0 (JD -0.5); a civil day starts
  // at JD n - 0.5 for whole n.
  const auto total = static_cast<std::int64_t>(std::llround((jd_ut + 0.5) * kSecondsPerDay));
  const std::int64_t day = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  const auto second_of_day = static_cast<int>(total - day * 86400);
  const CalendarDate date = CalendarDateFromJD(static_cast<double>(day));
  return IsoDate(date) + "T" + TwoDigits(second_of_day / 3600) + ":" +
         TwoDigits(second_of_day / 60 % 60) + ":" + TwoDigits(second_of_day % 60) + "Z";
}

std::string SignDegreeText(double longitude_deg) {
  const ZodiacMinute at = ZodiacMinuteOf(longitude_deg);
  return std::to_string(at.degree) + "\u00B0" + TwoDigits(at.minute) + "\u2032 " +
         std::string(kSignNames[static_cast<size_t>(at.sign)]);
}

std::string_view RunKindName(ScanKind kind, const RunSettings& settings) {
  if (kind == ScanKind::Longitude) return settings.chkUse_RA ? "right ascension" : "longitude";
  return settings.chkUseGeoLat ? "geo latitude" : "declination";
}

std::string RunCsv(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   double tz_hours, const RegionalFormat& format) {
  return RunCsv(rows, kind, settings, *FixedOffsetZone(tz_hours), format);
}

std::string RunCsv(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   const TimeZone& zone, const RegionalFormat& format, std::string_view chart_name) {
  std::vector<std::string> header = {
      "kind", "p1", "p1_centre", "p2", "p2_centre", "p3", "p3_centre", "local_time", "utc",
      "aspect_codes", "aspect1_deg", "aspect2_deg", "aspect3_deg", "p1_deg", "p2_deg", "p3_deg",
      "p1_sign", "p2_sign", "p3_sign", "p1_position", "p2_position", "p3_position",
      "aspect1_name", "aspect2_name", "aspect3_name"};
  const bool with_chart = !chart_name.empty();
  if (with_chart) header.emplace_back("chart");
  std::string csv = CsvRecord(header);
  const std::string kind_name(RunKindName(kind, settings));
  const bool longitude = kind == ScanKind::Longitude;
  const bool ecliptic = longitude && !settings.chkUse_RA;
  const bool use_p3 = settings.chkUseP3;
  const int roles = use_p3 ? 3 : 2;
  const ReportOrbs orbs = ReportOrbsOf(settings, format);
  for (const FoundAspect& row : rows) {
    std::vector<std::string> f;
    f.push_back(kind_name);
    for (int r = 0; r < 3; ++r) {
      const auto i = static_cast<size_t>(r);
      f.push_back(r < roles ? std::string(BodyName(row.body[i])) : "");
      f.push_back(r < roles ? CentreName(row.centre[i]) : "");
    }
    f.push_back(IsoLocalMinute(row.jd_ut, HoursAtMinute(zone, row.jd_ut)));
    f.push_back(IsoUtcSecond(row.jd_ut));

    std::array<std::string, 3> angles;
    std::array<std::string, 3> names;
    std::string codes;
    if (longitude) {
      const AspectColumns aspects = LongitudeAspectColumns(row, settings, orbs);
      codes = std::string(TrimBlanks(aspects.text));
      for (size_t i = 0; i < aspects.codes.size() && i < angles.size(); ++i) {
        angles[i] = CodeDegrees(aspects.codes[i]);
        if (const std::optional<int> deg = AspectCodeDegrees(aspects.codes[i])) {
          names[i] = AspectName(*deg, Notation::Text);
        }
      }
    } else if (!use_p3) {
      const double p1 = AsTableValue(row.position[0]), p2 = AsTableValue(row.position[1]);
      angles[0] = (p1 < 0) == (p2 < 0) ? "0" : "180";
      names[0] = (p1 < 0) == (p2 < 0) ? "parallel" : "contra-parallel";
    }
    f.push_back(codes);
    for (const std::string& a : angles) f.push_back(a);

    for (int r = 0; r < 3; ++r) {
      f.push_back(r < roles ? FormatFixed(row.position[static_cast<size_t>(r)], 1, 6) : "");
    }
    for (int r = 0; r < 3; ++r) {
      f.push_back(r < roles && ecliptic ? SignDegreeText(row.position[static_cast<size_t>(r)])
                                        : "");
    }
    // The trade's notation: sign glyph and retrograde mark in longitude runs, N/S in
    // declination runs; right ascension has no signs.
    for (int r = 0; r < 3; ++r) {
      const auto i = static_cast<size_t>(r);
      std::string text;
      if (r < roles && ecliptic) {
        text = ZodiacPositionText(row.position[i], Notation::Glyphs) +
               RetrogradeMark(row.motion[i], Notation::Glyphs);
      } else if (r < roles && !longitude) {
        text = DeclinationText(row.position[i], Notation::Glyphs);
      }
      f.push_back(text);
    }
    for (const std::string& n : names) f.push_back(n);
    if (with_chart) {
      bool natal = false;
      for (int r = 0; r < roles; ++r) natal = natal || row.centre[static_cast<size_t>(r)] == Centre::Natal;
      f.push_back(natal ? std::string(chart_name) : "");
    }
    csv += CsvRecord(f);
  }
  return csv;
}

FileStatus SaveCsv(const std::filesystem::path& path, std::string_view csv) {
  return WriteFileAtomically(path, csv, LinkPolicy::FollowLink);
}

FileStatus SaveRunCsv(const std::filesystem::path& path, const FoundAspects& rows, ScanKind kind,
                      const RunSettings& settings, const RegionalFormat& format,
                      std::string_view chart_name) {
  const PreparedRun prepared = PrepareRunInputs(settings, format);
  if (!prepared.inputs) {
    // Not the settings of a run that finished: no time zone to write the rows' times in.
    return {false, "Could not save \"" + path.string() + "\": the time zone of the run cannot be read"};
  }
  const RunInputs& in = *prepared.inputs;
  return SaveCsv(path, RunCsv(rows, kind, settings, in.zone ? *in.zone : *FixedOffsetZone(in.tz_hours), format,
                              chart_name));
}

}  // namespace tarnwick
