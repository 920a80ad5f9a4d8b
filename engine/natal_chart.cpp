#include "engine/natal_chart.h"

#include <cctype>
#include <cmath>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/house_angles.h"
#include "core/number_text.h"
#include "engine/run_inputs.h"

namespace tarnwick {

namespace {

std::string_view TrimmedOfSpace(std::string_view t) {
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  return t;
}

// Digits only, 1..max_digits of them; nothing otherwise.
std::optional<int> Digits(std::string_view t, size_t max_digits) {
  if (t.empty() || t.size() > max_digits) return std::nullopt;
  int v = 0;
  for (const char c : t) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

std::vector<std::string_view> Split(std::string_view t, char sep) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t i = 0; i <= t.size(); ++i) {
    if (i == t.size() || t[i] == sep) {
      parts.push_back(t.substr(from, i - from));
      from = i + 1;
    }
  }
  return parts;
}

// "MM/DD/YYYY" as a real calendar date.
std::optional<CalendarDate> ChartDate(std::string_view t) {
  const std::vector<std::string_view> p = Split(TrimmedOfSpace(t), '/');
  if (p.size() != 3) return std::nullopt;
  const auto m = Digits(p[0], 2), d = Digits(p[1], 2), y = Digits(p[2], 4);
  if (!m || !d || !y || p[2].size() != 4 || *m < 1 || *m > 12 || *d < 1) return std::nullopt;
  if (*d > Days_in_Month(*y, *m)) return std::nullopt;
  return CalendarDate{*m, *d, *y};
}

// "HH:MM" or "HH:MM:SS" as hours of the day, [0, 24).
std::optional<double> ChartTime(std::string_view t) {
  const std::vector<std::string_view> p = Split(TrimmedOfSpace(t), ':');
  if (p.size() != 2 && p.size() != 3) return std::nullopt;
  const auto h = Digits(p[0], 2), m = Digits(p[1], 2);
  const auto s = p.size() == 3 ? Digits(p[2], 2) : std::optional<int>(0);
  if (!h || !m || !s || p[1].size() != 2 || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
  return *h + *m / 60.0 + *s / 3600.0;
}

}  // namespace

std::optional<double> PlaceCoordinate(std::string_view text, bool latitude) {
  const std::string_view t = TrimmedOfSpace(text);
  const double limit = latitude ? 90.0 : 180.0;
  const std::string_view letters = latitude ? "NnSs" : "EeWw";
  const size_t at = t.find_first_of(letters);
  if (at == std::string_view::npos) {
    const std::optional<double> v = WholeDecimal(t);
    if (!v || std::fabs(*v) > limit) return std::nullopt;
    return *v;
  }
  const auto degrees = Digits(t.substr(0, at), 3);
  const std::string_view minutes_text = t.substr(at + 1);
  const auto minutes = minutes_text.empty() ? std::optional<int>(0) : Digits(minutes_text, 2);
  if (!degrees || !minutes || *minutes > 59) return std::nullopt;
  const double v = *degrees + *minutes / 60.0;
  if (v > limit) return std::nullopt;
  const char hemisphere = static_cast<char>(std::toupper(static_cast<unsigned char>(t[at])));
  return hemisphere == 'S' || hemisphere == 'W' ? -v : v;
}

std::optional<GeoPlace> PlaceOf(std::string_view text, std::string& problem) {
  problem.clear();
  std::string t(TrimmedOfSpace(text));
  if (t.empty()) return std::nullopt;
  for (char& c : t) {
    if (c == ',') c = ' ';
  }
  const size_t gap = t.find(' ');
  const std::string_view all(t);
  if (gap == std::string::npos) {
    problem = "Place: \"" + std::string(text) +
              "\" needs a latitude and a longitude, as 52N31 13E24 or 52.52,13.4.";
    return std::nullopt;
  }
  const std::optional<double> lat = PlaceCoordinate(all.substr(0, gap), true);
  const std::optional<double> lon = PlaceCoordinate(all.substr(gap + 1), false);
  if (!lat) {
    problem = "Place: the latitude \"" + std::string(TrimmedOfSpace(all.substr(0, gap))) +
              "\" is not one; type it as 52N31 or 33S52 (degrees, N or S, minutes) or as "
              "decimal degrees from -90 to 90, north positive.";
  } else if (!lon) {
    problem = "Place: the longitude \"" + std::string(TrimmedOfSpace(all.substr(gap + 1))) +
              "\" is not one; type it as 13E24 or 74W00 (degrees, E or W, minutes) or as "
              "decimal degrees from -180 to 180, east positive.";
  }
  if (!lat || !lon) return std::nullopt;
  return GeoPlace{*lat, *lon};
}

std::optional<double> BirthMoment(const NatalChart& chart, std::vector<std::string>& problems) {
  const size_t before = problems.size();
  const std::optional<CalendarDate> date = ChartDate(chart.date);
  if (!date) {
    problems.push_back("Birth date: \"" + chart.date +
                       "\" is not a date; type it as MM/DD/YYYY, month first (03/14/1879).");
  }
  const std::optional<double> hours = ChartTime(chart.time);
  if (!hours) {
    problems.push_back("Birth time: \"" + chart.time +
                       "\" is not a time of day; type it as HH:MM or HH:MM:SS, 24 hours (14:05).");
  }
  const std::shared_ptr<const TimeZone> zone = TimeZoneOf(chart.zone, '.');
  if (!zone) {
    problems.push_back("Birth time zone: \"" + chart.zone +
                       "\" is neither a number of hours (positive west, 5 for New York in "
                       "winter) nor a zone of the tz database (Europe/Berlin).");
  }
  if (problems.size() != before) return std::nullopt;
  return zone->InstantOf(ConvertDatetoJD(date->month, date->day, date->year) + *hours / 24.0);
}

CastChart CastNatalChart(const NatalChart& chart, PositionProvider& eph) {
  CastChart out;
  const std::optional<double> jd = BirthMoment(chart, out.problems);
  std::string place_problem;
  const std::optional<GeoPlace> place = PlaceOf(chart.place, place_problem);
  if (!place_problem.empty()) out.problems.push_back(place_problem);
  if (!jd || !out.problems.empty()) return out;

  auto cast = std::make_shared<NatalPositions>();
  cast->jd_ut = *jd;
  cast->place = place;
  cast->points.chart_name = chart.name;
  const PositionSwitches kept = eph.switches();
  for (int b = 0; b <= LastBodyIndex; ++b) {
    const size_t i = static_cast<size_t>(b);
    if (b != idxEarth) {
      const BodyAvailability a = eph.Availability(b, Centre::Geo, *jd);
      cast->points.available[i] = a.available();
      cast->points.why[i] = a.message;
      if (a.available()) {
        eph.SetSwitches({false, false});
        cast->points.lon[i] = eph.Get_1_Planet_geo(*jd, b);
        cast->geo_speed[i] = eph.LastDailyMotion();
        cast->points.decl[i] = eph.Get_1_Planet_decl(*jd, b);
        eph.SetSwitches({true, true});
        cast->points.ra[i] = eph.Get_1_Planet_geo(*jd, b);
        cast->points.geo_lat[i] = eph.Get_1_Planet_decl(*jd, b);
      }
    } else {
      cast->points.why[i] = "a chart is cast from the Earth";
    }
    // The Sun, the Moon, the nodes and the Liliths have no heliocentric position.
    if (b != idxSun && b != idxMoon && (b < idxMeanNode || b > idxTrueLilith) &&
        eph.Availability(b, Centre::Helio, *jd).available()) {
      eph.SetSwitches({false, false});
      cast->helio_available[i] = true;
      cast->helio_lon[i] = eph.Get_1_Planet_helio(*jd, b);
      cast->helio_lat[i] = eph.Get_1_Planet_latitude(*jd, b);
    }
  }
  eph.SetSwitches(kept);
  if (place) {
    std::string error;
    const std::optional<HouseAngles> angles = AnglesAt(*jd, place->latitude_deg, place->longitude_deg, &error);
    if (!angles) {
      out.problems.push_back("Place: " + error + ".");
      return out;
    }
    cast->ascendant_deg = angles->ascendant_deg;
    cast->midheaven_deg = angles->midheaven_deg;
    // The angles as natal points: points of the ecliptic, latitude 0.
    for (const auto& [index, lon] : {std::pair{idxAscendant, angles->ascendant_deg},
                                     std::pair{idxMidheaven, angles->midheaven_deg}}) {
      const std::optional<EquatorialPoint> eq = EquatorialOfEclipticPoint(*jd, lon, &error);
      if (!eq) {
        out.problems.push_back("Birth date: " + error + ".");
        return out;
      }
      const size_t i = static_cast<size_t>(index);
      cast->points.available[i] = true;
      cast->points.lon[i] = lon;
      cast->points.ra[i] = eq->ra_deg;
      cast->points.decl[i] = eq->decl_deg;
      cast->points.geo_lat[i] = 0.0;
    }
  } else {
    for (const int index : {idxAscendant, idxMidheaven}) {
      cast->points.why[static_cast<size_t>(index)] = "the chart has no birth place";
    }
  }
  out.positions = std::move(cast);
  return out;
}

std::shared_ptr<const NatalPoints> NatalPointsOf(const std::shared_ptr<const NatalPositions>& cast) {
  if (!cast) return nullptr;
  return std::shared_ptr<const NatalPoints>(cast, &cast->points);
}

}  // namespace tarnwick
