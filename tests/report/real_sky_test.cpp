// Runs on the library's own files (Debian's swe-basic-data, 1800 to 2400): moments once got
// wrong, spans at the limits a user can reach, and zones with summer time.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>

#include "core/calendar.h"
#include "report/report_lines.h"
#include "report/run_summary.h"
#include "test_paths.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

// Moments that are close to something that is not a moment: a mid-degree's 15-degree step a
// minute away, a second crossing of the same pair a minute later, a noisy body.
TEST(real_sky, moments_close_to_a_jump_or_to_each_other_are_all_listed) {
  // moments: every moment of the date, in order.
  struct Row { const char* name; RunRequest request; const char* date; std::vector<std::string> moments; };
  const auto triple = [](const char* start, const char* end, int p1, int p2, int p3, bool near) {
    RunRequest r = TwoBodyRequest(start, end, BodyList({p1}), BodyList({p2}));
    r.settings.chkUseP3 = true;
    r.settings.chkUseMidpoints = r.settings.chkInclude15DegAspects = false;
    r.settings.chkUseNear_and_Far = near;
    r.settings.chkP3Planets = BodyList({p3});
    return r;
  };
  RunRequest latitude = TwoBodyRequest("03/19/1987", "03/19/1987", BodyList({idxSun}), BodyList({kMercury}), ScanKind::Declination);
  latitude.settings.txtTZ = "-5.5";
  latitude.settings.chkUseGeoLat = true;
  const Row rows[] = {
      {"Moon to the Venus/Uranus near mid-degree", triple("08/29/2026", "09/01/2026", idxMoon, kVenus, kUranus, true),
       "08/30/2026", {"22:55"}},
      {"Mars to the Moon/Pluto far mid-degree", triple("11/29/2026", "12/01/2026", kMars, idxMoon, kPluto, false),
       "11/30/2026", {"09:14"}},
      {"Sun and Mercury in latitude 74 seconds apart", latitude, "03/19/1987", {"07:11", "07:12"}},
      {"Moon parallel t Lilith", TwoBodyRequest("01/19/2025", "01/22/2025", BodyList({idxMoon}), BodyList({13}), ScanKind::Declination),
       "01/20/2025", {"23:54"}},
  };
  for (const Row& r : rows) {
    const RunOutcome out = RunOnLibrary(r.request);
    ASSERT_EQ(out.status, RunOutcome::Status::Done) << r.name;
    // The local times "HH:MM" of the rows on the date, in the time zone of the settings.
    const double tz = TimeZoneHours(r.request.settings.txtTZ, '.').value_or(0.0);
    std::vector<std::string> moments;
    for (const FoundAspect& row : out.rows) {
      const DateAndTimeText when = ConvertJDtoDateandTime(row.jd_ut, tz, DateOrder::MonthDayYear);
      if (when.date == r.date) moments.push_back(when.time);
    }
    EXPECT_EQ(moments, r.moments) << r.name;
  }
}

// Geocentric Sun and heliocentric Earth stand 180 degrees apart at every moment: no moment
// of theirs can be told, so the pair is left out and the run says why.
TEST(real_sky, a_pair_at_an_exact_aspect_all_the_time_is_left_out) {
  for (const bool latitude : {false, true}) {
    RunRequest request = TwoBodyRequest("01/01/2024", "03/31/2024", BodyList({idxSun, idxMoon}), BodyList({kEarth}),
                                        latitude ? ScanKind::Declination : ScanKind::Longitude);
    RunSettings& s = request.settings;
    s.chkUseGeoLat = latitude;
    s.chkInclude15DegAspects = false;
    s.opt2_ghd = Centre::Helio;
    const RunOutcome out = RunOnLibrary(request);
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

// Runs at the limits a user can reach, on the library's own files (Debian's swe-basic-data,
// 1800 to 2400): spans beyond those years, and fifty years of every body stopped by Cancel.

// Before 1800 the planets come from the library's analytic ephemeris, with its note; bodies
// that need a file or an orbit table are left out by name. Past the analytic ephemeris
// (3000) nothing can be computed and the run says so instead of showing an empty report.
TEST(limits, spans_beyond_the_ephemeris_files_and_fifty_years_of_every_body_stop_on_cancel) {
  // told: parts of the notices (Done) or of the problems (Refused).
  struct Row { const char *name, *start, *end; RunOutcome::Status status; std::vector<std::string> told; };
  const Row rows[] = {
      {"1750", "01/01/1750", "01/03/1750", RunOutcome::Status::Done,
       {"Sun, Moon, Mars: computed with the Swiss Ephemeris' analytic Moshier ephemeris, less exact than "
        "its files, which cover 1800 to 2400 (SwissEph file 'sepl_12.se1' not found in PATH '",
        "using Moshier eph.)",
        "Chiron (geocentric) was left out: SwissEph file 'seas_12.se1' not found",
        "Sedna (geocentric) was left out: positions from orbital elements cover the years 1800 to 2400 only"}},
      // The analytic ephemeris ends at Julian day 2818000.5 in Terrestrial Time, 28 April 3003
      // about 23:05 UT: with zone 5 the last day that runs is 04/27/3003 (measured with
      // tarnwick-cli, bisecting the date and then the zone).
      {"last day of the analytic ephemeris", "04/27/3003", "04/27/3003", RunOutcome::Status::Done,
       {"Sun, Moon, Mars: computed with the Swiss Ephemeris' analytic Moshier ephemeris"}},
      {"a day after it", "04/28/3003", "04/28/3003", RunOutcome::Status::Refused,
       {"Bodies: no combination of the checked bodies can be computed from 04/28/3003 to 04/28/3003"}},
  };
  for (const Row& r : rows) {
    ScratchFolder folder;
    RunRequest request = TwoBodyRequest(r.start, r.end, BodyList({idxSun, idxMoon, kMars}),
                                        BodyList({idxSun, idxMoon, kMars, kChiron, idxSedna}));
    request.save = true;
    request.data_folder = folder.path();
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, r.status) << r.name;
    const std::vector<std::string>& said = out.status == RunOutcome::Status::Done ? out.notices : out.problems;
    for (const std::string& part : r.told) {
      EXPECT_TRUE(std::any_of(said.begin(), said.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; }))
          << r.name << ": " << part;
    }
    EXPECT_EQ(std::set(said.begin(), said.end()).size(), said.size()) << r.name;  // each said once
    if (out.status == RunOutcome::Status::Done) {
      EXPECT_FALSE(out.rows.empty()) << r.name;  // the Moon alone makes several aspects a day
      for (const FoundAspect& row : out.rows) EXPECT_NE(row.body[1], kChiron) << r.name;
    } else {
      EXPECT_TRUE(folder.Entries().empty()) << r.name;
    }
  }
  // Fifty years of every body in every role: hours of work. Cancel, given as soon as the
  // progress first moves, stops it long before a hundredth of its windows are done, and
  // nothing is written.
  ScratchFolder folder;
  RunRequest request;
  request.data_folder = folder.path();
  RunSettings& s = request.settings;
  s.txtStartDate = "01/01/1980";
  s.txtEndDate = "12/31/2029";
  s.chkP1Planets.fill(true);
  s.chkP2Planets = s.chkP3Planets = s.chkP1Planets;
  request.options.threads = 2;
  std::atomic<bool> cancel{false};
  std::int64_t last_done = 0, total = 0;
  request.cancel = &cancel;
  request.progress = [&](std::int64_t done, std::int64_t all) {
    last_done = done;
    total = all;
    if (done > 0) cancel = true;
  };
  const RunOutcome out = RunOnLibrary(request);
  EXPECT_EQ(out.status, RunOutcome::Status::Cancelled);
  EXPECT_TRUE(out.rows.empty() && folder.Entries().empty());
  EXPECT_GT(total, 100'000'000);  // windows of all combinations
  EXPECT_LT(last_done, total / 100);
}

// Runs in a zone with summer time against runs with the fixed offsets of each side of the
// change: every moment must be printed in the civil time in force at it.

// Rows found twice (once per run) agree to this; both runs solve the same crossings from
// differently placed windows. Days (about 0.01 s).
constexpr double kSameMomentDays = 1e-7;

// lines: report lines, one per row.
struct Ran { FoundAspects rows; std::vector<std::string> lines; std::string file_name; };

Ran RunIn(const char* start, const char* end, const char* tz) {
  RunRequest request = TwoBodyRequest(start, end, BodyRange(0, 9), BodyRange(0, 9));  // Sun to Pluto
  request.settings.txtTZ = tz;
  const RunOutcome out = RunOnLibrary(request);
  EXPECT_EQ(out.status, RunOutcome::Status::Done) << (out.problems.empty() ? "" : out.problems[0]);
  const Ran ran{out.rows, ReportLinesOf(out.pane_text), out.file_name};
  EXPECT_EQ(ran.lines.size(), ran.rows.size());
  return ran;
}

// Europe/Berlin 2024: summer time from 31 March 01:00 UT to 27 October 01:00 UT. The zone's
// run must hold the rows of the winter-offset run before the change and of the summer-offset
// run after it, line for line, and nothing else.
TEST(named_zone, berlin_span_across_each_change_matches_fixed_offset_runs_of_each_half) {
  // The fixed runs: before the change from start to before_end, after it from after_start to
  // end; change_jd in UT.
  struct Case { const char *name, *start, *end, *before_tz, *before_end, *after_tz, *after_start; double change_jd; };
  const Case cases[] = {
      {"spring", "03/28/2024", "04/02/2024", "-1", "03/31/2024", "-2", "03/31/2024",
       ConvertDatetoJD(3, 31, 2024) + 1.0 / 24},
      {"autumn", "10/24/2024", "10/29/2024", "-2", "10/27/2024", "-1", "10/27/2024",
       ConvertDatetoJD(10, 27, 2024) + 1.0 / 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran zone = RunIn(c.start, c.end, "Europe/Berlin");
    const Ran before = RunIn(c.start, c.before_end, c.before_tz);
    const Ran after = RunIn(c.after_start, c.end, c.after_tz);
    std::vector<std::pair<const FoundAspect*, const std::string*>> expected;
    for (size_t i = 0; i < before.rows.size(); ++i)
      if (before.rows[i].jd_ut < c.change_jd) expected.emplace_back(&before.rows[i], &before.lines[i]);
    const size_t winter_rows = expected.size();
    for (size_t i = 0; i < after.rows.size(); ++i)
      if (after.rows[i].jd_ut >= c.change_jd) expected.emplace_back(&after.rows[i], &after.lines[i]);
    ASSERT_GT(winter_rows, 10u);
    ASSERT_GT(expected.size() - winter_rows, 10u);
    ASSERT_EQ(zone.rows.size(), expected.size());
    double worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(zone.lines[i], *expected[i].second) << "row " << i;
      EXPECT_EQ(zone.rows[i].body, expected[i].first->body);
      worst = std::max(worst, std::fabs(zone.rows[i].jd_ut - expected[i].first->jd_ut));
    }
    EXPECT_LT(worst, kSameMomentDays) << "largest difference of a moment, days";
    // The report's name carries the zone, made file-safe.
    EXPECT_TRUE(zone.file_name.find("_Europe-Berlin_") != std::string::npos) << zone.file_name;
  }
}

// Remembered positions, passed-over windows and two threads must not change a byte of the
// report: the benchmark's scenarios on spans short enough for a test, and runs whose reports
// are kept byte for byte (golden: the file's name in tests/data/golden).
// bodies: of every role; empty: the initial selection.
struct Shortened {
  const char* name; ScanKind kind; const char *start, *end; std::vector<int> bodies; bool triple, all_centres;
  const char* golden = nullptr;
};

void PrintTo(const Shortened& sc, std::ostream* os) { *os << sc.name; }

class OptimisedRunTest : public ::testing::TestWithParam<Shortened> {};

TEST_P(OptimisedRunTest, gives_the_report_of_the_plain_run) {
  const Shortened& sc = GetParam();
  const RunSettings initial;
  const auto pick = [&sc](const BodySelection& b) { return sc.bodies.empty() ? b : BodyList(sc.bodies); };
  RunRequest request = TwoBodyRequest(sc.start, sc.end, pick(initial.chkP1Planets), pick(initial.chkP2Planets), sc.kind);
  RunSettings& s = request.settings;
  s.chkP3Planets = pick(initial.chkP3Planets);
  s.chkUseP3 = sc.triple;
  s.chkAutoCalc = sc.all_centres;
  const auto run = [&](int threads, bool optimised) {
    request.options.threads = threads;
    request.options.cache = request.options.skip = optimised;
    return RunOnLibrary(request);
  };
  const RunOutcome plain = run(1, false);
  ASSERT_FALSE(plain.rows.empty());
  EXPECT_EQ(run(1, true).pane_text, plain.pane_text);
  EXPECT_EQ(run(2, true).pane_text, plain.pane_text);
  if (!sc.golden) return;
  EXPECT_EQ(plain.file_name, sc.golden);
  const std::string expected = ReadBytes(std::filesystem::path(TestPath("TARNWICK_TEST_DATA_DIR")) / "golden" / sc.golden);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(plain.pane_text, expected);  // the report file's bytes: run_command_test
}

INSTANTIATE_TEST_SUITE_P(
    scenarios, OptimisedRunTest,
    ::testing::Values(
        Shortened{"initial_settings", ScanKind::Longitude, "12/01/2007", "12/31/2007", {}, true, false},
        Shortened{"nineteen_triple_all_centres", ScanKind::Longitude, "01/01/2008", "01/03/2008",
                  {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20}, true, true},
        Shortened{"declination_all_centres", ScanKind::Declination, "01/01/2008", "04/30/2008",
                  {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, true},
        Shortened{"golden_longitude", ScanKind::Longitude, "01/01/2008", "01/05/2008", {0, 1, 2, 3, 4}, false, false,
                  "01012008_01052008_5_3.0_15.0_gg_mp_15_noRA.txt"},
        Shortened{"golden_declination", ScanKind::Declination, "01/01/2008", "01/10/2008", {0, 1, 2, 3, 4, 5, 6},
                  false, false, "01012008_01102008_5_decl_gg_mp_15_noRA_geoDecl.txt"}),
    [](const auto& row) { return std::string(row.param.name); });

// A chosen set of aspects against the full run of the same settings, on the Swiss Ephemeris:
// the listed rows are exactly the full run's rows whose aspect is in the set. (The report's
// name with the set: report_names; a set that lists nothing: run_command_test.)
TEST(aspect_set_run, listed_rows_are_the_full_runs_rows_whose_aspect_is_in_the_set) {
  // wanted: the aspects the set lets through on the grid.
  struct Case { const char* name; bool triple, grid15, display_mp; const char* set; std::vector<int> wanted; };
  const Case cases[] = {
      {"two bodies, 15-degree grid, major", false, true, true, "major", {0, 60, 90, 120, 180}},
      {"two bodies, 30-degree grid, hard", false, false, true, "hard", {0, 90, 180}},
      {"triple, P1 to the midpoint", true, true, true, "0,90,180", {0, 90, 180}},
      {"triple with all three pairs shown: still P1 to the midpoint", true, true, false, "major", {0, 60, 90, 120, 180}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRequest request = TwoBodyRequest("01/01/2007", c.triple ? "01/31/2007" : "03/31/2007", BodyRange(0, 4), BodyRange(2, 9));
    request.options.threads = 2;
    RunSettings& s = request.settings;
    s.chkUseP3 = c.triple;
    s.chkInclude15DegAspects = c.grid15;
    s.chkDisplayP1_P2P3_mp_aspects = c.display_mp;
    s.chkP3Planets = s.chkP2Planets;
    const RunOutcome full = RunOnLibrary(request);
    ASSERT_EQ(full.status, RunOutcome::Status::Done);
    EXPECT_EQ(full.found_count, full.rows.size());

    s.txtAspectSet = c.set;
    const RunOutcome chosen = RunOnLibrary(request);
    ASSERT_EQ(chosen.status, RunOutcome::Status::Done);
    EXPECT_EQ(chosen.found_count, full.rows.size());

    // Which aspect each full row stands for, judged from its report line's codes.
    const ReportOrbs orbs = ReportOrbsOf(s, RegionalFormat{});
    FoundAspects expected;
    std::set<int> seen;
    for (const FoundAspect& row : full.rows) {
      const std::optional<int> angle = ListedAspectDeg(row, s, orbs);
      ASSERT_TRUE(angle) << "an exact aspect with no code at " << row.jd_ut;
      seen.insert(*angle);
      if (std::find(c.wanted.begin(), c.wanted.end(), *angle) != c.wanted.end()) expected.push_back(row);
    }
    EXPECT_GT(seen.size(), c.wanted.size()) << "the full run must hold aspects outside the set";
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(RowKeys(chosen.rows), RowKeys(expected));
  }
}

constexpr int kSedna = 21;

std::string Field(const std::vector<SummaryField>& fields, const std::string& label) {
  for (const SummaryField& f : fields) if (f.label == label) return f.value;
  ADD_FAILURE() << "no field " << label;
  return {};
}

// Each case runs on the Swiss Ephemeris and checks every field of its summary: each label in
// its place, and in each value what the settings and the run's sources say.
TEST(run_summary, every_field_present_with_what_the_run_searched_and_each_source_of_a_body) {
  // says: label, part of its value.
  struct Case {
    const char *name; ScanKind kind; const char *start, *end; bool triple, midpoints, time_window, grid15;
    const char* aspects; std::vector<std::pair<std::string, std::string>> says;
  };
  const Case cases[] = {
      {"triple longitude in 2007: files and orbital elements", ScanKind::Longitude, "12/01/2007",
       "12/03/2007", true, true, false, true, "major",
       {{"Run", "longitude aspectarian, triple aspects"},
        {"Span", "12/01/2007 to 12/03/2007"}, {"Time zone", "-5.5 (UTC+05:30)"}, {"P1", "geocentric: Sun, Mars"},
        {"P2", "geocentric: Jupiter, Saturn, Sedna"}, {"P3", "heliocentric: Jupiter, Saturn, Sedna"},
        {"Grid", "15 degrees"}, {"Aspects", "major (0, 60, 90, 120, 180)"}, {"Orbs", "orb 1 2.5, orb 2 15.0 degrees"},
        {"Partners", "midpoints of P2 and P3"}, {"Time window", "whole days"},
        {"Ephemeris", "Swiss Ephemeris files: Sun, Mars, Jupiter, Saturn; orbital elements: Sedna"}}},
      {"two-body declination in 1750: analytic and left out", ScanKind::Declination, "01/01/1750",
       "01/02/1750", false, false, true, false, "",
       {{"Run", "declination aspectarian, two bodies"}, {"Grid", "30 degrees"},
        {"Aspects", "parallels and contra-parallels"}, {"Partners", "P2"}, {"Time window", "10:00 to 10:59 local time"},
        {"Ephemeris", "analytic Moshier ephemeris: Sun, Mars, Jupiter, Saturn; left out: Sedna"}}},
  };
  const std::vector<std::string> longitude_labels = {"Run", "Span", "Time zone", "P1", "P2", "P3", "Grid", "Aspects",
                                                     "Orbs", "Partners", "Time window", "Ephemeris", "Rows"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRequest request = TwoBodyRequest(c.start, c.end, BodyList({idxSun, 4}), BodyList({5, 6, kSedna}), c.kind);
    RunSettings& s = request.settings;
    std::tie(s.txtTZ, s.txtAspectOrb1, s.txtAspectSet) = std::tuple("-5.5", "2.5", c.aspects);
    s.chkUseP3 = c.triple;
    s.chkUseMidpoints = c.midpoints;
    s.chkEnableTimePeriod = c.time_window;
    s.chkInclude15DegAspects = c.grid15;
    s.opt3_ghd = Centre::Helio;
    s.chkP3Planets = s.chkP2Planets;
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, RunOutcome::Status::Done);
    const std::vector<SummaryField> fields = RunSummary(c.kind, s, RegionalFormat{}, out);
    std::vector<std::string> labels, wanted = longitude_labels;
    for (const SummaryField& f : fields) labels.push_back(f.label);
    if (!c.triple) std::erase(wanted, "P3");
    if (c.kind == ScanKind::Declination) std::erase(wanted, "Orbs");
    EXPECT_EQ(labels, wanted);
    for (const auto& [label, part] : c.says) {
      EXPECT_NE(Field(fields, label).find(part), std::string::npos) << label << ": " << Field(fields, label);
    }
    const std::string others = " of " + std::to_string(out.found_count) + " found, the others outside the aspect set";
    EXPECT_EQ(Field(fields, "Rows"), std::to_string(out.rows.size()) + (out.rows.size() == out.found_count ? "" : others));
    EXPECT_TRUE(RunSummaryText(fields, "\r\n").starts_with("Run: " + fields[0].value + "\r\nSpan: "));
  }
  // A body computed from files in one centre and left out in the other is named with each.
  RunOutcome out;
  out.sources = {{kChiron, Centre::Geo, BodySource::Kind::Files, ""},
                 {kChiron, Centre::Helio, BodySource::Kind::LeftOut, "no file"},
                 {kSedna, Centre::Geo, BodySource::Kind::OrbitalElements, ""},
                 {kSedna, Centre::Helio, BodySource::Kind::OrbitalElements, ""}};
  const std::vector<SummaryField> fields = RunSummary(ScanKind::Longitude, RunSettings{}, RegionalFormat{}, out);
  EXPECT_EQ(Field(fields, "Ephemeris"),
            "Swiss Ephemeris files: Chiron (geocentric); orbital elements: Sedna; left out: Chiron (heliocentric)");
}

}  // namespace
}  // namespace tarnwick
