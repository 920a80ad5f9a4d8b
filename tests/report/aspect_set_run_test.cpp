// A chosen set of aspects against the full run of the same settings, on the Swiss Ephemeris:
// the listed rows are exactly the full run's rows whose aspect is in the set.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "report/report_lines.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

TEST(aspect_set_run, listed_rows_are_the_full_runs_rows_whose_aspect_is_in_the_set) {
  struct Case {
    const char* name;
    bool triple, grid15, display_mp;
    const char* set;
    std::vector<int> wanted;  // the aspects the set lets through on the grid
    const char* name_tail;
  };
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
    ScratchFolder folder;
    RunRequest request;
    request.data_folder = folder.path();
    request.save = false;
    request.options.threads = 2;
    RunSettings& s = request.settings;
    s.txtStartDate = "01/01/2007";
    s.txtEndDate = c.triple ? "01/31/2007" : "03/31/2007";
    s.chkUseP3 = c.triple;
    s.chkInclude15DegAspects = c.grid15;
    s.chkDisplayP1_P2P3_mp_aspects = c.display_mp;
    s.chkP1Planets = BodyRange(0, 4);
    s.chkP2Planets = s.chkP3Planets = BodyRange(2, 9);
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
    ASSERT_EQ(chosen.rows.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_TRUE(chosen.rows[i].jd_ut == expected[i].jd_ut && chosen.rows[i].body == expected[i].body)
          << "row " << i;
    }
  }
}

TEST(aspect_set_run, a_set_that_can_list_nothing_or_is_no_set_is_refused) {
  struct Case {
    const char* set;
    bool grid15;
    const char* says;
  };
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

}  // namespace
}  // namespace tarnwick
