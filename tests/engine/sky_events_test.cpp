// The sky events on the real ephemeris: published equinoxes, solstices and eclipses, a dense
// scan written on the library directly, and the order the events must keep.
#include <gtest/gtest.h>

#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

#include "tests/support/event_reference.h"
#include "tests/support/reference_search.h"
#include "tests/support/report_pieces.h"
#include "core/angles.h"
#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/sky_events.h"
#include "tests/engine/synthetic_provider.h"

namespace tarnwick {
namespace {

// Published times are given to the minute; the library's Delta T and the rounding add a few
// seconds at most.
constexpr double kPublishedMinuteDays = 1.0 / 1440.0;
// The search converges to about a millisecond on a smooth quantity. A station is the zero of
// the speed, which the provider computes in its own way: it differs from the library's own
// speed by up to a few seconds of the zero's moment.
constexpr double kMaxOffsetDays = 0.01 / 86400.0;
constexpr double kMaxStationOffsetDays = 5.0 / 86400.0;

double Utc(int year, int month, int day, int hour, int minute) {
  return ConvertDatetoJD(month, day, year) + (hour + minute / 60.0) / 24.0;
}

class SkyEventsOnEphemeris : public ::testing::Test {
 protected:
  SkyEvents Find(std::initializer_list<EventKind> kinds, std::initializer_list<int> bodies, double from,
                 double to, Centre centre = Centre::Geo) {
    EventChoice choice;
    for (const EventKind k : kinds) choice.Set(k, true);
    return FindSkyEvents(eph, choice, BodyList(bodies), centre, from, to).events;
  }
  SwissEphemeris eph{EphemerisSearchPath(ProgramFolder())};
};

// Equinoxes and solstices as the almanacs publish them, greatest eclipses as the canons of
// eclipses do (UT, to the minute); the new or full moon of an eclipse carries it.
TEST_F(SkyEventsOnEphemeris, sun_ingresses_and_eclipses_at_their_published_moments) {
  using enum EclipseKind;
  // sign: of a Sun ingress, or of the lunation of an eclipse
  struct Row { int y, mo, d, h, mi, sign; std::optional<EclipseKind> eclipse = std::nullopt; };
  const Row rows[] = {
      {2023, 3, 20, 21, 24, 0}, {2023, 6, 21, 14, 58, 3}, {2023, 9, 23, 6, 50, 6}, {2023, 12, 22, 3, 27, 9},
      {2024, 3, 20, 3, 6, 0},   {2024, 6, 20, 20, 51, 3}, {2024, 9, 22, 12, 44, 6}, {2024, 12, 21, 9, 21, 9},
      {2025, 3, 20, 9, 1, 0},   {2025, 6, 21, 2, 42, 3},  {2025, 9, 22, 18, 19, 6}, {2025, 12, 21, 15, 3, 9},
      {2023, 4, 20, 4, 17, 0, SolarHybrid},   {2024, 3, 25, 7, 13, 2, LunarPenumbral},
      {2024, 4, 8, 18, 17, 0, SolarTotal},    {2024, 9, 18, 2, 44, 2, LunarPartial},
      {2024, 10, 2, 18, 45, 0, SolarAnnular}, {2025, 3, 14, 6, 58, 2, LunarTotal},
  };
  const SkyEvents found = Find({EventKind::Ingress, EventKind::Eclipse, EventKind::Lunation}, {idxSun},
                               Utc(2023, 1, 1, 0, 0), Utc(2026, 1, 1, 0, 0));
  // Twelve signs a year, never one back; 2023, 2024 and 2025 four eclipses each.
  EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const SkyEvent& e) { return e.kind == EventKind::Ingress; }), 36);
  EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const SkyEvent& e) { return e.kind == EventKind::Eclipse; }), 12);
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.y << "-" << r.mo << "-" << r.d);
    const double published = Utc(r.y, r.mo, r.d, r.h, r.mi);
    const auto near = [&](double jd) { return std::fabs(jd - published) <= kPublishedMinuteDays; };
    int seen = 0, marked = 0;
    for (const SkyEvent& e : found) {
      if (e.kind == (!r.eclipse ? EventKind::Ingress : EventKind::Eclipse) && near(e.jd_ut)) {
        ++seen;
        EXPECT_EQ(std::tuple(e.body, e.detail, e.direction, e.eclipse),
                  !r.eclipse ? std::tuple(idxSun, r.sign, 1, r.eclipse)
                             : std::tuple(IsSolar(*r.eclipse) ? idxSun : idxMoon, e.detail, e.direction, r.eclipse));
      }
      if (e.kind == EventKind::Lunation && r.eclipse && e.eclipse == r.eclipse && near(e.eclipse_jd_ut)) {
        ++marked;
        EXPECT_EQ(e.detail, r.sign);  // new moon 0, full moon 2
      }
    }
    EXPECT_EQ(std::pair(seen, marked), std::pair(1, r.eclipse ? 1 : 0));
  }
}

TEST_F(SkyEventsOnEphemeris, every_event_of_a_dense_library_scan_once_and_heliocentric_runs_offer_ingresses_only) {
  struct Row { const char* name; EventKind kind; Centre centre; ReferenceEvent reference; std::vector<int> bodies; double max_offset; };
  const Row rows[] = {
      {"stations", EventKind::Station, Centre::Geo, ReferenceEvent::GeoStation, {2, 4, 5, 9, 15}, kMaxStationOffsetDays},
      {"geocentric ingresses", EventKind::Ingress, Centre::Geo, ReferenceEvent::GeoIngress, {0, 1, 2, 3, 4}, kMaxOffsetDays},
      {"heliocentric ingresses", EventKind::Ingress, Centre::Helio, ReferenceEvent::HelioIngress, {2, 14}, kMaxOffsetDays},
      {"out of bounds", EventKind::OutOfBounds, Centre::Geo, ReferenceEvent::OutOfBounds, {1, 2, 4}, kMaxOffsetDays},
      {"lunations", EventKind::Lunation, Centre::Geo, ReferenceEvent::Lunation, {idxMoon}, kMaxOffsetDays},
  };
  // 2024: Mercury turns three times, Mars enters Cancer, turns back into it and stays out of
  // bounds for weeks, the Moon passes its major standstill.
  const double from = Utc(2024, 1, 1, 0, 0), to = Utc(2025, 1, 1, 0, 0);
  for (const Row& r : rows) {
    Comparison total;
    double worst = 0.0;
    for (const int b : r.bodies) {
      std::vector<double> found;
      for (const SkyEvent& e : Find({r.kind}, {b}, from, to, r.centre)) found.push_back(e.jd_ut);
      const std::vector<double> reference =
          ReferenceEvents(r.reference, BodyCatalogue[static_cast<size_t>(b)].body_number, from, to);
      total += Compare(reference, found);
      worst = std::max(worst, WorstOffsetDays(reference, found));
    }
    EXPECT_GT(total.expected, 0) << r.name;
    EXPECT_EQ(total.missed + total.duplicated + total.unmatched, 0) << r.name << ": " << total.missed << " missed";
    EXPECT_LE(worst, r.max_offset) << r.name << ": worst offset " << worst * 86400.0 << " s";
  }
  // Heliocentric runs offer ingresses only.
  EventChoice choice;
  choice.kinds.fill(true);
  const EventSearch r = FindSkyEvents(eph, choice, BodyList({4}), Centre::Helio, from, to);
  ASSERT_FALSE(r.events.empty());
  for (const SkyEvent& e : r.events) EXPECT_EQ(std::pair(e.kind, e.centre), std::pair(EventKind::Ingress, Centre::Helio));
  ASSERT_EQ(r.notices.size(), 1u);
  EXPECT_NE(r.notices[0].find("stations, lunations, eclipses, oob, voc"), std::string::npos) << r.notices[0];
}

// The Moon's elongation from a body, straight from the library, degrees [0, 360).
double Elongation(double jd, int swe_body) {
  double moon[6], other[6];
  char serr[AS_MAXCH];
  swe_calc_ut(jd, SE_MOON, SEFLG_SWIEPH, moon, serr);
  swe_calc_ut(jd, swe_body, SEFLG_SWIEPH, other, serr);
  return Reduce_to_under_360(moon[0] - other[0]);
}

TEST_F(SkyEventsOnEphemeris, events_keep_their_order_and_the_void_holds_no_aspect) {
  const double from = Utc(2020, 1, 1, 0, 0), to = Utc(2021, 1, 1, 0, 0);
  const SkyEvents all = Find({EventKind::Station, EventKind::Ingress, EventKind::Lunation,
                              EventKind::OutOfBounds, EventKind::VoidOfCourse},
                             {1, 2, 3, 4, 5, 6}, from, to);
  std::map<std::pair<int, EventKind>, const SkyEvent*> last;
  int voids = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    const SkyEvent& e = all[i];
    ASSERT_TRUE(e.jd_ut >= from && e.jd_ut <= to && (i == 0 || all[i - 1].jd_ut <= e.jd_ut)) << e.jd_ut;
    const SkyEvent*& prev = last[{e.body, e.kind}];
    // Stations retrograde, direct, retrograde ...; ingresses from the sign entered last, one
    // sign on or one back; voids one after the other.
    if (prev && e.kind == EventKind::Station) { EXPECT_EQ(e.detail, -prev->detail) << BodyName(e.body); }
    if (prev && e.kind == EventKind::Ingress) {
      EXPECT_EQ(e.detail, (prev->detail + e.direction + 12) % 12) << BodyName(e.body) << " at " << e.jd_ut;
    }
    if (prev && e.kind == EventKind::VoidOfCourse) { EXPECT_GE(e.jd_ut, prev->end_jd_ut); }
    prev = &e;
    if (e.kind != EventKind::VoidOfCourse) continue;
    ++voids;
    ASSERT_LT(e.jd_ut, e.end_jd_ut);
    // The void begins at an exact aspect of the Moon ...
    if (e.aspect_body >= 0) {
      const double d = ArcDistance(Elongation(e.jd_ut, BodyCatalogue[static_cast<size_t>(e.aspect_body)].body_number), 0.0);
      EXPECT_NEAR(d, e.aspect_angle, 1e-3);
    }
    // ... and none of Sun to Pluto on 0, 60, 90, 120, 180 follows before the ingress: sampled
    // every half hour, while the Moon moves at most 0.33 degrees from any body.
    // (A crossing changes the offset by under 0.4 degrees a step; a wrap, by 360.)
    for (int b = 0; b <= 9; ++b) {
      const int swe = BodyCatalogue[static_cast<size_t>(b)].body_number;
      for (const int angle : {0, 60, 90, 120, 180, 240, 270, 300}) {
        const auto off = [&](double jd) { return Reduce_to_under_360(Elongation(jd, swe) - angle + 180.0) - 180.0; };
        // From just past the aspect that began the void.
        EXPECT_TRUE(b == idxMoon || SignChanges(off, e.jd_ut + 1e-5, e.end_jd_ut, 1.0 / 48.0, 2.0).empty())
            << "void of " << e.jd_ut << " holds an aspect " << angle << " to " << BodyName(b);
      }
    }
  }
  EXPECT_GT(voids, 150);  // about one per sign, some 160 a year
}

// Made-up straight motions whose events fall exactly on window ends, across 0 degrees and
// backwards, and a body that cannot be computed.
TEST(sky_events, crossings_on_window_ends_are_listed_once) {
  const double t0 = Utc(2024, 1, 1, 0, 0);
  SyntheticProvider eph(t0);
  eph.bodies[4] = {29.0, 0.5, 0.0, 0.0};     // Mars: 30 degrees at t0 + 2, 60 at t0 + 62
  eph.bodies[6] = {359.5, 0.25, 0.0, 0.0};   // Saturn: across 0 at t0 + 2
  eph.bodies[7] = {90.5, -0.25, 0.0, 0.0};   // Uranus: back across 90 at t0 + 2
  eph.bodies[3] = {100.0, 0.0, 23.0, 0.1};   // Venus: declination from 23 up, past the bounds
  eph.unavailable = {5};                      // Jupiter
  EventChoice choice;
  for (const EventKind k : {EventKind::Ingress, EventKind::OutOfBounds}) choice.Set(k, true);
  const EventSearch r = FindSkyEvents(eph, choice, BodyRange(3, 7), Centre::Geo, t0, t0 + 70.0);
  // kind, body, days after t0 (none for the bounds), sign or way out, direction
  using Found = std::tuple<EventKind, int, double, int, int>;
  std::vector<Found> got, want = {{EventKind::Ingress, 4, 2.0, 1, 1}, {EventKind::Ingress, 6, 2.0, 0, 1},
                                  {EventKind::Ingress, 7, 2.0, 2, -1}, {EventKind::Ingress, 4, 62.0, 2, 1},
                                  {EventKind::OutOfBounds, 3, 0.0, 1, 1}};
  for (const SkyEvent& e : r.events) {
    const bool bound = e.kind == EventKind::OutOfBounds;
    if (bound) { EXPECT_NEAR(e.position, TrueObliquity(e.jd_ut), 1e-6); }  // out north, at the bound
    got.emplace_back(e.kind, e.body, bound ? 0.0 : std::round((e.jd_ut - t0) * 1e6) / 1e6, e.detail, e.direction);
  }
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(r.notices, std::vector<std::string>{"Events: Jupiter was left out: file for body 5 not found"});
}

TEST(sky_event_lists, words_and_angles_read_or_name_the_bad_item) {
  // kinds: how many a list names, -1 when it is refused; bad: the item at fault ("?" untold).
  struct Row { const char* text; long kinds; const char* bad; };
  const Row rows[] = {
      {"stations,ingresses", 2, "?"}, {" Voc , OOB ", 2, "?"}, {"all", 6, "?"}, {"none", 0, "?"},
      {"stations,moons", -1, "moons"}, {"stations,,voc", -1, ""}, {"eclipse", -1, "eclipse"},
  };
  for (const Row& r : rows) {
    std::string bad = "?";
    const auto choice = ParseEventList(r.text, &bad);
    EXPECT_EQ(choice ? std::count(choice->kinds.begin(), choice->kinds.end(), true) : -1, r.kinds) << r.text;
    EXPECT_EQ(bad, r.bad) << r.text;
  }
  const std::pair<const char*, std::optional<std::vector<int>>> angles[] = {
      {"0,60,90,120,180", std::vector{0, 60, 90, 120, 180}}, {"90, 90 ,45", std::vector{90, 45}},
      {"181", std::nullopt}, {"-30", std::nullopt}, {"sixty", std::nullopt}, {"", std::nullopt},
  };
  for (const auto& [text, read] : angles) EXPECT_EQ(ParseAngleList(text, nullptr), read) << text;
}

}  // namespace
}  // namespace tarnwick
