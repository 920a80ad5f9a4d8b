// tarnwick-orbit-timing: what the first century of a body's orbit costs, and what using it
// again costs. For each body computed from its orbit, runs a provider through a century
// once a day twice over and prints both times with the integration the table did. The
// orbits start at their elements' epoch (2022): a century far from it integrates the years
// in between too.
//
// Usage: tarnwick-orbit-timing [first year of the century, 1800..2300; default 1950]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/bodies.h"
#include "core/calendar.h"
#include "core/orbit/orbit_table.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"

namespace {

using namespace tarnwick;

double Pass(SwissEphemeris& eph, int body, double first, double last) {
  const auto start = std::chrono::steady_clock::now();
  double sink = 0;
  for (double jd = first; jd < last; jd += 1.0) {
    sink += eph.Get_1_Planet_geo(jd, body);
    sink += eph.Get_1_Planet_decl(jd, body);
  }
  if (sink == 12345.678) std::printf(" ");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int year = argc > 1 ? std::atoi(argv[1]) : 1950;
  if (year < 1800 || year > 2299) {
    std::fprintf(stderr, "the first year must lie in 1800..2299\n");
    return 1;
  }
  SwissEphemeris eph(EphemerisSearchPath(ProgramFolder()));
  const double first = ConvertDatetoJD(1, 2, year), last = ConvertDatetoJD(1, 1, year + 100);
  std::printf("%d-%d, one geocentric longitude and declination a day (%.0f days)\n", year,
              year + 100, last - first);
  std::printf("%-9s %12s %12s %12s %14s %14s %10s %12s\n", "Body", "first pass", "second pass",
              "integrating", "days integr.", "2nd pass days", "step days", "us/position");
  for (int body = 15; body <= LastBodyIndex; ++body) {
    if (eph.Availability(body, Centre::Geo, first).source !=
        BodyAvailability::Source::OrbitalElements)
      continue;
    const OrbitTable* table = SharedOrbitTable(body);
    const double t1 = Pass(eph, body, first, last);
    const OrbitTableStats st = table->stats();
    const double t2 = Pass(eph, body, first, last);
    const OrbitTableStats st2 = table->stats();
    std::printf("%-9s %10.3f s %10.3f s %10.3f s %14.0f %14.0f %10.0f %12.2f\n",
                std::string(BodyName(body)).c_str(), t1, t2, st.seconds, st.integrated_days,
                st2.integrated_days - st.integrated_days, table->step_days(),
                t2 / (2 * (last - first)) * 1e6);
  }
  // The library's own asteroid for comparison.
  const double tc = Pass(eph, 17, first, last);
  std::printf("%-9s %25.3f s %57.2f  (library, seas_18.se1)\n", "Ceres", tc,
              tc / (2 * (last - first)) * 1e6);
  return 0;
}
