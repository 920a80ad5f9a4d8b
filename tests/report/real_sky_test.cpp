// Runs on the library's own files whose moments were checked against an independent dense
// search of the library: each row is a case the search once got wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "core/calendar.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

constexpr int kMercury = 2, kVenus = 3, kMars = 4, kUranus = 7, kPluto = 9, kEarth = 14;

RunOutcome RunSettingsOnLibrary(RunSettings s, ScanKind kind = ScanKind::Longitude) {
  ScratchFolder folder;
  RunRequest request;
  request.kind = kind;
  request.data_folder = folder.path();
  request.settings = std::move(s);
  return RunOnLibrary(request);
}

RunSettings Span(const char* start, const char* end, const char* tz = "5") {
  RunSettings s;
  s.txtStartDate = start;
  s.txtEndDate = end;
  s.txtTZ = tz;
  s.chkUseP3 = false;
  return s;
}

// The local times "HH:MM" of the run's rows on a date, in the time zone of its settings.
std::vector<std::string> MomentsOn(const RunOutcome& out, const std::string& date,
                                   const RunSettings& s = Span("", "")) {
  const double tz = TimeZoneHours(s.txtTZ, '.').value_or(0.0);
  std::vector<std::string> m;
  for (const FoundAspect& r : out.rows) {
    const DateAndTimeText when = ConvertJDtoDateandTime(r.jd_ut, tz, DateOrder::MonthDayYear);
    if (when.date == date) m.push_back(when.time);
  }
  return m;
}

// The last day of a span holds every moment a run of that day alone finds, the Moon's too.
TEST(real_sky, the_last_day_of_a_span_is_searched_to_its_end) {
  const struct { const char *start, *end; } spans[] = {{"01/01/2008", "01/03/2008"}, {"12/20/2007", "01/03/2008"}};
  RunSettings day = Span("01/03/2008", "01/03/2008");
  day.chkP1Planets = day.chkP2Planets = BodyList({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::vector<std::string> alone = MomentsOn(RunSettingsOnLibrary(day), "01/03/2008");
  ASSERT_EQ(alone.size(), 10u);
  for (const auto& span : spans) {
    RunSettings s = day;
    s.txtStartDate = span.start;
    s.txtEndDate = span.end;
    EXPECT_EQ(MomentsOn(RunSettingsOnLibrary(s), "01/03/2008"), alone) << span.start;
  }
}

// Moments that are close to something that is not a moment: a mid-degree's 15-degree step a
// minute away, a second crossing of the same pair a minute later, a noisy body.
TEST(real_sky, moments_close_to_a_jump_or_to_each_other_are_all_listed) {
  struct Row {
    const char* name;
    ScanKind kind;
    RunSettings s;
    const char* date;
    std::vector<std::string> moments;  // every moment of the date, in order
  };
  const auto triple = [](const char* start, const char* end, int p1, int p2, int p3, bool near) {
    RunSettings s = Span(start, end);
    s.chkUseP3 = true;
    s.chkUseMidpoints = false;
    s.chkUseNear_and_Far = near;
    s.chkInclude15DegAspects = false;
    s.chkP1Planets = BodyList({p1});
    s.chkP2Planets = BodyList({p2});
    s.chkP3Planets = BodyList({p3});
    return s;
  };
  RunSettings latitude = Span("03/19/1987", "03/19/1987", "-5.5");
  latitude.chkUseGeoLat = true;
  latitude.chkP1Planets = BodyList({idxSun});
  latitude.chkP2Planets = BodyList({kMercury});
  RunSettings apogee = Span("01/19/2025", "01/22/2025");
  apogee.chkP1Planets = BodyList({idxMoon});
  apogee.chkP2Planets = BodyList({13});  // t Lilith
  const Row rows[] = {
      {"Moon to the Venus/Uranus near mid-degree", ScanKind::Longitude, triple("08/29/2026", "09/01/2026", idxMoon, kVenus, kUranus, true),
       "08/30/2026", {"22:55"}},
      {"Mars to the Moon/Pluto far mid-degree", ScanKind::Longitude, triple("11/29/2026", "12/01/2026", kMars, idxMoon, kPluto, false),
       "11/30/2026", {"09:14"}},
      {"Sun and Mercury in latitude 74 seconds apart", ScanKind::Declination, latitude, "03/19/1987", {"07:11", "07:12"}},
      {"Moon parallel t Lilith", ScanKind::Declination, apogee, "01/20/2025", {"23:54"}},
  };
  for (const Row& r : rows) {
    const RunOutcome out = RunSettingsOnLibrary(r.s, r.kind);
    ASSERT_EQ(out.status, RunOutcome::Status::Done) << r.name;
    EXPECT_EQ(MomentsOn(out, r.date, r.s), r.moments) << r.name;
  }
}

// Geocentric Sun and heliocentric Earth stand 180 degrees apart at every moment: no moment
// of theirs can be told, so the pair is left out and the run says why.
TEST(real_sky, a_pair_at_an_exact_aspect_all_the_time_is_left_out) {
  for (const bool latitude : {false, true}) {
    RunSettings s = Span("01/01/2024", "03/31/2024");
    s.chkUseGeoLat = latitude;
    s.chkInclude15DegAspects = false;
    s.chkP1Planets = BodyList({idxSun, idxMoon});
    s.chkP2Planets = BodyList({kEarth});
    s.opt1_ghd = Centre::Geo;
    s.opt2_ghd = Centre::Helio;
    const RunOutcome out = RunSettingsOnLibrary(s, latitude ? ScanKind::Declination : ScanKind::Longitude);
    ASSERT_EQ(out.status, RunOutcome::Status::Done) << latitude;
    EXPECT_FALSE(out.rows.empty()) << latitude;  // the Moon and the Earth still have their moments
    for (const FoundAspect& r : out.rows) EXPECT_EQ(r.body[0], idxMoon) << latitude;
    EXPECT_NE(std::find(out.notices.begin(), out.notices.end(),
                        "Sun (geocentric) and Earth (heliocentric) were left out: they stand at an exact "
                        "aspect all the time (within 0.000001 degrees), so no moment of it can be told."),
              out.notices.end())
        << latitude;
  }
}

}  // namespace
}  // namespace tarnwick
