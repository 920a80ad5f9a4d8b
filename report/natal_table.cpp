#include "report/natal_table.h"

#include <array>
#include <cstdio>
#include <tuple>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/number_text.h"

namespace tarnwick {

namespace {

NatalTableRow Row(std::string body, double lon, Notation notation) {
  NatalTableRow r;
  r.body = std::move(body);
  const ZodiacMinute z = ZodiacMinuteOf(lon);
  r.sign = std::string(kSignNames[static_cast<size_t>(z.sign)]);
  r.degree = z.degree;
  r.minute = z.minute;
  r.position = ZodiacPositionText(lon, notation);
  return r;
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::vector<NatalTableRow> NatalTableRows(const NatalPositions& cast, Notation notation) {
  std::vector<NatalTableRow> rows;
  for (int b = 0; b <= LastBodyIndex; ++b) {
    const size_t i = static_cast<size_t>(b);
    if (b == idxEarth) continue;  // the chart is cast from it
    if (!cast.points.available[i]) {
      NatalTableRow r;
      r.body = std::string(BodyName(b));
      r.note = cast.points.why[i];
      rows.push_back(std::move(r));
      continue;
    }
    NatalTableRow r = Row(std::string(BodyName(b)), cast.points.lon[i], notation);
    r.position += RetrogradeMark(cast.geo_speed[i], notation);
    r.declination = DeclinationText(cast.points.decl[i], notation);
    rows.push_back(std::move(r));
  }
  // The angles, points of the ecliptic, with the declinations a run takes for them.
  for (const auto& [name, angle, index] : {std::tuple{"Ascendant", cast.ascendant_deg, idxAscendant},
                                           std::tuple{"Midheaven", cast.midheaven_deg, idxMidheaven}}) {
    if (!angle) continue;
    NatalTableRow r = Row(name, *angle, notation);
    const size_t i = static_cast<size_t>(index);
    if (cast.points.available[i]) r.declination = DeclinationText(cast.points.decl[i], notation);
    rows.push_back(std::move(r));
  }
  return rows;
}

std::string NatalTableText(const NatalChart& chart, const NatalPositions& cast, Notation notation) {
  const LocalClock utc = LocalClockAt(cast.jd_ut, 0.0);
  char moment[64];
  std::snprintf(moment, sizeof moment, "%02d/%02d/%04d %02d:%02d UT", utc.date.month, utc.date.day,
                utc.date.year, utc.hour, utc.minute);
  std::string text = "Natal chart " + (chart.name.empty() ? std::string("(no name)") : chart.name) +
                     ": " + chart.date + " " + chart.time + " " + chart.zone + " = " + moment;
  if (cast.place) {
    text += ", place " + FormatFixed(cast.place->latitude_deg, 1, 4) + " " +
            FormatFixed(cast.place->longitude_deg, 1, 4);
  }
  text += "\n";
  text += Padded("Body", 10) + Padded("Sign", 12) + "Deg Min  " + Padded("Position", 14) + "Declination\n";
  for (const NatalTableRow& r : NatalTableRows(cast, notation)) {
    if (r.sign.empty()) {
      text += Padded(r.body, 10) + "unavailable: " + r.note + "\n";
      continue;
    }
    char dm[16];
    std::snprintf(dm, sizeof dm, "%3d %3d  ", r.degree, r.minute);
    text += Padded(r.body, 10) + Padded(r.sign, 12) + dm + Padded(r.position, 14) + r.declination + "\n";
  }
  return text;
}

}  // namespace tarnwick
