// tarnwick-events-check [first_year last_year]: the sky events' search against the brute
// force reference of event_reference.h, kind by kind, with counts of missed and duplicated
// events and the largest time offset. Default 2015-2024.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/event_reference.h"
#include "tests/support/reference_search.h"
#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/sky_events.h"

using namespace tarnwick;

namespace {

struct Scenario {
  const char* name;
  EventKind kind;
  Centre centre;
  ReferenceEvent reference;
  std::vector<int> bodies;
};

std::vector<double> Found(PositionProvider& eph, EventKind kind, int body, Centre centre, double from, double to) {
  EventChoice choice;
  choice.Set(kind, true);
  BodySelection bodies{};
  bodies[static_cast<size_t>(body)] = true;
  std::vector<double> out;
  for (const SkyEvent& e : FindSkyEvents(eph, choice, bodies, centre, from, to).events) {
    if (e.kind == kind && (kind == EventKind::Lunation || e.body == body)) out.push_back(e.jd_ut);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int first = argc > 2 ? std::atoi(argv[1]) : 2015;
  const int last = argc > 2 ? std::atoi(argv[2]) : 2024;
  const double from = ConvertDatetoJD(1, 1, first), to = ConvertDatetoJD(1, 1, last + 1);
  SwissEphemeris eph(EphemerisSearchPath(ProgramFolder()));

  const std::vector<int> planets = {2, 3, 4, 5, 6, 7, 8, 9, 15};  // Mercury .. Pluto, Chiron
  const std::vector<Scenario> scenarios = {
      {"stations, geocentric", EventKind::Station, Centre::Geo, ReferenceEvent::GeoStation, planets},
      {"ingresses, geocentric", EventKind::Ingress, Centre::Geo, ReferenceEvent::GeoIngress,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15}},
      {"ingresses, heliocentric", EventKind::Ingress, Centre::Helio, ReferenceEvent::HelioIngress,
       {2, 3, 4, 5, 6, 7, 8, 9, 14, 15}},
      {"out of bounds, geocentric", EventKind::OutOfBounds, Centre::Geo, ReferenceEvent::OutOfBounds,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 15}},
      {"lunations", EventKind::Lunation, Centre::Geo, ReferenceEvent::Lunation, {idxMoon}},
  };
  std::printf("%d-%d, reference sampled every hour and bisected\n\n", first, last);
  std::printf("| kind | bodies | expected | found | missed | duplicated | not in reference | worst offset (s) |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (const Scenario& s : scenarios) {
    Comparison total;
    double worst = 0.0;
    for (const int b : s.bodies) {
      const std::vector<double> reference =
          ReferenceEvents(s.reference, BodyCatalogue[static_cast<size_t>(b)].body_number, from, to);
      const std::vector<double> found = Found(eph, s.kind, b, s.centre, from, to);
      total += Compare(reference, found);
      worst = std::max(worst, WorstOffsetDays(reference, found));
    }
    std::printf("| %s | %zu | %d | %d | %d | %d | %d | %.3f |\n", s.name, s.bodies.size(), total.expected,
                total.found, total.missed, total.duplicated, total.unmatched, worst * 86400.0);
    std::fflush(stdout);
  }
  return 0;
}
