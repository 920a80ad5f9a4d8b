// A chosen set of aspects against the full run of the same settings, on the Swiss Ephemeris:
// the listed rows are exactly the full run's rows whose aspect is in the set. The summary of
// what a run searched.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "report/report_lines.h"
#include "report/run_summary.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

TEST(aspect_set_run, listed_rows_are_the_full_runs_rows_whose_aspect_is_in_the_set) {
  // wanted: the aspects the set lets through on the grid.
  struct Case { const char* name; bool triple, grid15, display_mp; const char* set; std::vector<int> wanted; const char* name_tail; };
  const Case cases[] = {
      {"two bodies, 15-degree grid, major", false, true, true, "major", {0, 60, 90, 120, 180},
       "_15_noRA_aspects_major.txt"},
      {"two bodies, 30-degree grid, hard", false, false, true, "hard", {0, 90, 180},
       "_30_noRA_aspects_hard.txt"},
      {"triple, P1 to the midpoint", true, true, true, "0,90,180", {0, 90, 180},
       "_15_noRA_aspects_0-90-180.txt"},
      {"triple with all three pairs shown: still P1 to the midpoint", true, true, false,
       "major", {0, 60, 90, 120, 180}, "_15_noRA_aspects_major.txt"},
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
    EXPECT_TRUE(chosen.file_name.ends_with(c.name_tail)) << chosen.file_name;
    EXPECT_EQ(full.file_name.find("aspects"), std::string::npos) << full.file_name;

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

TEST(aspect_set_run, a_set_that_can_list_nothing_or_is_no_set_is_refused) {
  struct Case { const char* set; bool grid15; const char* says; };
  const Case cases[] = {
      {"15,45", false, "Aspects: the set \"15,45\" holds no aspect of the 30-degree grid"},
      {"none", true, "Aspects: the set \"none\" holds no aspect of the grid"},
      {"0,7", true, "Aspects: \"7\" is no aspect of the grid"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    ScratchFolder folder;
    RunRequest request;
    request.data_folder = folder.path();
    request.settings.txtAspectSet = c.set;
    request.settings.chkInclude15DegAspects = c.grid15;
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, RunOutcome::Status::Refused);
    ASSERT_EQ(out.problems.size(), 1u);
    EXPECT_TRUE(out.problems[0].starts_with(c.says)) << out.problems[0];
    EXPECT_TRUE(folder.Entries().empty());
    // A declination run names no aspect: the set plays no part.
    request.kind = ScanKind::Declination;
    request.settings.txtEndDate = "12/02/2007";
    request.save = false;
    EXPECT_EQ(RunOnLibrary(request).status, RunOutcome::Status::Done);
  }
}

constexpr int kSedna = 21, kChiron = 15;

std::string Field(const std::vector<SummaryField>& fields, const std::string& label) {
  for (const SummaryField& f : fields) {
    if (f.label == label) return f.value;
  }
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
        {"Span", "12/01/2007 to 12/03/2007"},
        {"Time zone", "-5.5 (UTC+05:30)"},
        {"P1", "geocentric: Sun, Mars"},
        {"P2", "geocentric: Jupiter, Saturn, Sedna"},
        {"P3", "heliocentric: Jupiter, Saturn, Sedna"},
        {"Grid", "15 degrees"},
        {"Aspects", "major (0, 60, 90, 120, 180)"},
        {"Orbs", "orb 1 2.5, orb 2 15.0 degrees"},
        {"Partners", "midpoints of P2 and P3"},
        {"Time window", "whole days"},
        {"Ephemeris", "Swiss Ephemeris files: Sun, Mars, Jupiter, Saturn; orbital elements: Sedna"}}},
      {"two-body declination in 1750: analytic and left out", ScanKind::Declination, "01/01/1750",
       "01/02/1750", false, false, true, false, "",
       {{"Run", "declination aspectarian, two bodies"},
        {"P1", "geocentric: Sun, Mars"},
        {"P2", "geocentric: Jupiter, Saturn, Sedna"},
        {"Grid", "30 degrees"},
        {"Aspects", "parallels and contra-parallels"},
        {"Partners", "P2"},
        {"Time window", "10:00 to 10:59 local time"},
        {"Ephemeris", "analytic Moshier ephemeris: Sun, Mars, Jupiter, Saturn; left out: Sedna"}}},
  };
  const std::vector<std::string> longitude_labels = {"Run", "Span", "Time zone", "P1", "P2", "P3",
                                                     "Grid", "Aspects", "Orbs", "Partners",
                                                     "Time window", "Ephemeris", "Rows"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRequest request = TwoBodyRequest(c.start, c.end, BodyList({idxSun, 4}), BodyList({5, 6, kSedna}), c.kind);
    RunSettings& s = request.settings;
    s.txtTZ = "-5.5";
    s.txtAspectOrb1 = "2.5";
    s.chkUseP3 = c.triple;
    s.chkUseMidpoints = c.midpoints;
    s.chkEnableTimePeriod = c.time_window;
    s.chkInclude15DegAspects = c.grid15;
    s.txtAspectSet = c.aspects;
    s.opt3_ghd = Centre::Helio;
    s.chkP3Planets = s.chkP2Planets;
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, RunOutcome::Status::Done);
    const std::vector<SummaryField> fields = RunSummary(c.kind, s, RegionalFormat{}, out);

    std::vector<std::string> labels;
    for (const SummaryField& f : fields) labels.push_back(f.label);
    std::vector<std::string> wanted = longitude_labels;
    if (!c.triple) std::erase(wanted, "P3");
    if (c.kind == ScanKind::Declination) std::erase(wanted, "Orbs");
    EXPECT_EQ(labels, wanted);
    for (const auto& [label, part] : c.says) {
      EXPECT_NE(Field(fields, label).find(part), std::string::npos)
          << label << ": " << Field(fields, label);
    }
    const std::string rows = Field(fields, "Rows");
    if (out.rows.size() == out.found_count) {
      EXPECT_EQ(rows, std::to_string(out.rows.size()));
    } else {
      EXPECT_EQ(rows, std::to_string(out.rows.size()) + " of " + std::to_string(out.found_count) +
                          " found, the others outside the aspect set");
    }
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
            "Swiss Ephemeris files: Chiron (geocentric); orbital elements: Sedna; "
            "left out: Chiron (heliocentric)");
}

}  // namespace
}  // namespace tarnwick
