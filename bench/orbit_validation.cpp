// tarnwick-orbit-validation: how far positions computed from orbital elements fall from the
// library's own, for the six bodies the library computes from Debian's seas_18.se1.
//
// Two providers side by side: one with Debian's ephemeris folder (the library computes the
// bodies), one with a folder holding only the planet files (the same bodies come from their
// orbits). Prints the largest differences in arcseconds, and in arcseconds/day for the daily
// motions, within 1950-2050 and within 1800-2400.
//
// Usage: tarnwick-orbit-validation [days between samples in 1950-2050, default 2]
//                                  [days between samples in 1800-2400, default 10]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/planets_only_folder.h"
#include "core/angles.h"
#include "core/bodies.h"
#include "core/calendar.h"
#include "core/orbit/orbit_table.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"

namespace {

using namespace tarnwick;

constexpr int kColumns = 10;
const char* kHeads[kColumns] = {"lon", "lat", "RA", "Dec", "hel.lon",
                                "lon/d", "lat/d", "RA/d", "Dec/d", "hel/d"};

struct Sample {
  double v[kColumns];  // positions in degrees, motions in degrees/day
};

Sample Positions(SwissEphemeris& eph, double jd_ut, int body) {
  Sample s;
  eph.SetSwitches({.use_ra = false, .use_geo_lat = true});
  s.v[0] = eph.Get_1_Planet_geo(jd_ut, body);
  s.v[5] = eph.LastDailyMotion();
  s.v[1] = eph.Get_1_Planet_decl(jd_ut, body);
  s.v[6] = eph.LastDailyMotion();
  eph.SetSwitches({.use_ra = true, .use_geo_lat = false});
  s.v[2] = eph.Get_1_Planet_geo(jd_ut, body);
  s.v[7] = eph.LastDailyMotion();
  s.v[3] = eph.Get_1_Planet_decl(jd_ut, body);
  s.v[8] = eph.LastDailyMotion();
  eph.SetSwitches({});
  s.v[4] = eph.Get_1_Planet_helio(jd_ut, body);
  s.v[9] = eph.LastDailyMotion();
  return s;
}

struct Worst {
  double diff[kColumns] = {0};
  double when[kColumns] = {0};
};

// Positions of `body` at every sample time from a provider over `path`, in a thread of its
// own: the library keeps its search path per thread, one provider per thread.
std::vector<Sample> Collect(const std::string& path, int body, const std::vector<double>& times,
                            BodyAvailability& availability) {
  std::vector<Sample> out;
  std::thread worker([&] {
    SwissEphemeris eph(path);
    availability = eph.Availability(body, Centre::Geo, times.front());
    for (const double jd : times) out.push_back(Positions(eph, jd, body));
  });
  worker.join();
  return out;
}

void Compare(const std::vector<Sample>& lib, const std::vector<Sample>& orb,
             const std::vector<double>& times, Worst& w) {
  for (size_t i = 0; i < times.size(); ++i) {
    const Sample& a = lib[i];
    const Sample& b = orb[i];
    for (int c = 0; c < kColumns; ++c) {
      const bool angle = c == 0 || c == 2 || c == 4;
      const double d = 3600.0 * (angle ? ArcDistance(a.v[c], b.v[c]) : std::abs(a.v[c] - b.v[c]));
      if (d > w.diff[c]) {
        w.diff[c] = d;
        w.when[c] = times[i];
      }
    }
  }
}

std::vector<double> Times(double first, double last, double step) {
  std::vector<double> t;
  for (double jd = first; jd <= last; jd += step) t.push_back(jd);
  return t;
}

int Year(double jd) { return CalendarDateFromJD(jd).year; }

}  // namespace

int main(int argc, char** argv) {
  const double step_century = argc > 1 ? std::atof(argv[1]) : 2.0;
  const double step_all = argc > 2 ? std::atof(argv[2]) : 10.0;
  PlanetsOnlyFolder planets;
  if (planets.path().empty()) {
    std::fprintf(stderr, "cannot create a temporary folder\n");
    return 1;
  }
  // The library's asteroid file covers 1800-01-01 12h to 2400-01-09 (TT); stay inside.
  const double first_all = ConvertDatetoJD(1, 2, 1800), last_all = ConvertDatetoJD(12, 31, 2399);
  const double first_century = ConvertDatetoJD(1, 1, 1950), last_century = ConvertDatetoJD(1, 1, 2050);

  std::printf("Largest difference, orbit minus library: positions in arcseconds, daily motions in "
              "arcseconds/day\n(samples every %g days in 1950-2050, every %g days in 1800-2400)\n\n",
              step_century, step_all);
  std::printf("%-8s %-9s", "Body", "Years");
  for (const char* h : kHeads) std::printf(" %8s", h);
  std::printf("  worst lon in\n");
  const int bodies[] = {17, 18, 19, 20, 15, 16};  // Ceres, Pallas, Juno, Vesta, Chiron, Pholus
  for (const int body : bodies) {
    const auto start = std::chrono::steady_clock::now();
    Worst century, all;
    for (auto [times, worst] : {std::pair{Times(first_century, last_century, step_century), &century},
                                std::pair{Times(first_all, last_all, step_all), &all}}) {
      BodyAvailability a, l;
      const std::vector<Sample> lib = Collect(DebianEphemerisFolder(), body, times, l);
      const std::vector<Sample> orb = Collect(planets.path().string(), body, times, a);
      if (a.source != BodyAvailability::Source::OrbitalElements ||
          l.source != BodyAvailability::Source::Library) {
        std::fprintf(stderr, "%s: expected the orbit and the library, got '%s' and '%s'\n",
                     std::string(BodyName(body)).c_str(), a.message.c_str(), l.message.c_str());
        return 1;
      }
      Compare(lib, orb, times, *worst);
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& [label, w] : {std::pair{"1950-2050", &century}, std::pair{"1800-2400", &all}}) {
      std::printf("%-8s %-9s", std::string(BodyName(body)).c_str(), label);
      for (int c = 0; c < kColumns; ++c) std::printf(" %8.3f", w->diff[c]);
      std::printf("  %d\n", Year(w->when[0]));
    }
    const OrbitTableStats st = SharedOrbitTable(body)->stats();
    std::printf("%-8s integrated %.0f days in %.2f s (%d extensions); comparison took %.1f s\n",
                "", st.integrated_days, st.seconds, st.extensions, secs);
  }
  return 0;
}
