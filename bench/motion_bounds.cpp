// tarnwick-motion-bounds: the largest daily motion and the largest change of daily motion of
// every body in every kind of coordinate a scan uses, over 1800-2400, printed as the C++
// table that engine/motion_bounds.cpp keeps (with its safety margin applied there).
//
// Motions are taken from differences of positions, not from the library's daily motions,
// which now and then jump at the seams of its files (Uranus on JD 2431980.5 reads 0.038
// instead of 0.059 deg/day). Every body is sampled once a day; the Moon, the nodes and the
// Liliths, whose motions change within hours, also once an hour over 1950-2050.
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/motion_bounds.h"
#include "engine/scan.h"

using namespace tarnwick;

namespace {

bool IsLatitudeLike(MotionCoordinate c) {
  return c == MotionCoordinate::GeoDeclination || c == MotionCoordinate::GeoLatitude ||
         c == MotionCoordinate::HelioLatitude;
}

struct Extremes {
  double speed = 0, accel = 0;
};

double Value(PositionProvider& eph, MotionCoordinate c, int body, double t) {
  switch (c) {
    case MotionCoordinate::GeoLongitude:
    case MotionCoordinate::GeoRightAscension: return eph.Get_1_Planet_geo(t, body);
    case MotionCoordinate::HelioLongitude:
    case MotionCoordinate::HelioRightAscension: return eph.Get_1_Planet_helio(t, body);
    case MotionCoordinate::GeoDeclination:
    case MotionCoordinate::GeoLatitude: return eph.Get_1_Planet_decl(t, body);
    case MotionCoordinate::HelioLatitude: return eph.Get_1_Planet_latitude(t, body);
  }
  return 0;
}

void Sample(MotionCoordinate c, double from, double to, double step, const std::vector<int>& bodies,
            PerBody<Extremes>& out) {
  SwissEphemeris eph(EphemerisSearchPath(ProgramFolder()));
  eph.SetSwitches({c == MotionCoordinate::GeoRightAscension || c == MotionCoordinate::HelioRightAscension,
                   c == MotionCoordinate::GeoLatitude});
  const Centre centre = IsHeliocentric(c) ? Centre::Helio : Centre::Geo;
  for (const int b : bodies) {
    if (!TakesRole(b, centre)) continue;
    const bool circular = !IsLatitudeLike(c);
    double last_value = Value(eph, c, b, from), last_speed = 0;
    for (double t = from + step; t <= to; t += step) {
      const double value = Value(eph, c, b, t);
      double d = value - last_value;
      if (circular) d -= 360.0 * std::round(d / 360.0);
      const double speed = d / step;
      out[b].speed = std::max(out[b].speed, std::fabs(speed));
      if (t > from + step) out[b].accel = std::max(out[b].accel, std::fabs(speed - last_speed) / step);
      last_value = value;
      last_speed = speed;
    }
  }
}

}  // namespace

int main() {
  std::vector<int> all, fast = {idxMoon, idxMeanNode, idxTrueNode, idxMeanLilith, idxTrueLilith};
  for (int b = 0; b <= LastBodyIndex; ++b) all.push_back(b);
  std::vector<PerBody<Extremes>> table(kMotionCoordinates);
  std::vector<std::thread> threads;
  for (std::size_t c = 0; c < table.size(); ++c) {
    threads.emplace_back([&, c] {
      const auto coord = static_cast<MotionCoordinate>(c);
      // The asteroid file begins a little after 0h on 1 January 1800: start a day later.
      Sample(coord, ConvertDatetoJD(1, 2, 1800), ConvertDatetoJD(12, 30, 2399), 1.0, all, table[c]);
      Sample(coord, ConvertDatetoJD(1, 1, 1950), ConvertDatetoJD(12, 31, 2049), 1.0 / 24, fast, table[c]);
    });
    if (threads.size() == 2 || c + 1 == table.size()) {
      for (auto& t : threads) t.join();
      threads.clear();
    }
  }
  std::printf("// {largest |daily motion| deg/day, largest |change of daily motion| deg/day^2} per body\n");
  for (std::size_t c = 0; c < table.size(); ++c) {
    std::printf("    {{  // %s\n", MotionCoordinateName(static_cast<MotionCoordinate>(c)));
    for (int b = 0; b <= LastBodyIndex; ++b) {
      std::printf("        {%.6g, %.6g},  // %s\n", table[c][b].speed, table[c][b].accel,
                  BodyCatalogue[BodySlot(b)].caption.data());
    }
    std::printf("    }},\n");
  }
}
