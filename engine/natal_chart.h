// A natal chart: the birth data as typed (name, date, time, zone, place), their reading, and
// the chart's fixed points computed once from the position provider: what the natal centre
// "n" of P2 and P3 answers in a run.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/position_provider.h"

namespace tarnwick {

// The birth data as the user typed them; readers convert them where they are used.
struct NatalChart {
  std::string name;   // free text, one line
  std::string date;   // "MM/DD/YYYY", month first whatever the region (a file format, not a box)
  std::string time;   // local clock time "HH:MM" or "HH:MM:SS", 24 hours
  std::string zone;   // hours added to local time to give UT (positive west), or a tz name
  std::string place;  // "" (no place), "52N31 13E24", or decimal "52.52,13.4" (north, east +)
  friend bool operator==(const NatalChart&, const NatalChart&) = default;
};

// A place on the Earth. Degrees.
struct GeoPlace {
  double latitude_deg = 0.0;   // north positive, [-90, 90]
  double longitude_deg = 0.0;  // east positive, [-180, 180]
};

// One coordinate typed as degrees, a hemisphere letter and minutes ("52N31", "13E24",
// "33S52", "151E12"), or as signed decimal degrees ("-33.87"). `latitude` says which letters
// (N/S or E/W) and which range apply. Nothing when the text is neither.
std::optional<double> PlaceCoordinate(std::string_view text, bool latitude);

// The chart's place: latitude then longitude, separated by blanks or a comma. Nothing for an
// empty text; `problem` says what is wrong otherwise.
std::optional<GeoPlace> PlaceOf(std::string_view text, std::string& problem);

// The birth moment, Julian day (UT), from the date, time and zone; every field that cannot
// be read is named in `problems`.
std::optional<double> BirthMoment(const NatalChart& chart, std::vector<std::string>& problems);

// Everything a chart shows: its fixed points for runs, the heliocentric positions, and the
// angles when it has a place.
struct NatalPositions {
  double jd_ut = 0.0;  // the birth moment, Julian day, Universal Time
  NatalPoints points;  // geocentric, as the natal centre answers
  std::array<bool, BodyCount> helio_available{};
  std::array<double, BodyCount> helio_lon{};  // heliocentric ecliptic longitude, [0, 360)
  std::array<double, BodyCount> helio_lat{};  // heliocentric ecliptic latitude, [-90, 90]
  std::array<double, BodyCount> geo_speed{};  // geocentric daily motion in longitude, deg/day
  std::optional<GeoPlace> place;
  std::optional<double> ascendant_deg;  // ecliptic longitude, [0, 360), with a place
  std::optional<double> midheaven_deg;
};

struct CastChart {
  std::shared_ptr<const NatalPositions> positions;  // null when the chart cannot be read
  std::vector<std::string> problems;                // one sentence per field at fault
};

// Reads the chart and computes its positions with `eph` (its switches are restored after).
// A body the library cannot compute at birth is marked unavailable with the reason.
CastChart CastNatalChart(const NatalChart& chart, PositionProvider& eph);

// The fixed points of a cast chart, shared, for PositionProvider::SetNatalPoints.
std::shared_ptr<const NatalPoints> NatalPointsOf(const std::shared_ptr<const NatalPositions>& cast);

}  // namespace tarnwick
