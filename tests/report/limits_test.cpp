// Runs at the limits a user can reach, on the library's own files (Debian's swe-basic-data,
// 1800 to 2400): spans beyond those years, and fifty years of every body stopped by Cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

bool AnyHolds(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// Before 1800 the planets come from the library's analytic ephemeris, with its note; bodies
// that need a file or an orbit table are left out by name. Past the analytic ephemeris
// (3000) nothing can be computed and the run says so instead of showing an empty report.
TEST(limits, spans_beyond_the_ephemeris_files) {
  const constexpr int kMars = 4, kChiron = 15;
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
      {"3500", "01/01/3500", "01/03/3500", RunOutcome::Status::Refused,
       {"Bodies: no combination of the checked bodies can be computed from 01/01/3500 to 01/03/3500",
        "Sun (geocentric): SwissEph file 'sepl_30.se1' not found"}},
  };
  for (const Row& r : rows) {
    ScratchFolder folder;
    RunRequest request;
    request.data_folder = folder.path();
    RunSettings& s = request.settings;
    s.txtStartDate = r.start;
    s.txtEndDate = r.end;
    s.chkUseP3 = false;
    s.chkP1Planets = BodyList({idxSun, idxMoon, kMars});
    s.chkP2Planets = BodyList({idxSun, idxMoon, kMars, kChiron, idxSedna});
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, r.status) << r.name;
    const std::vector<std::string>& said = out.status == RunOutcome::Status::Done ? out.notices : out.problems;
    for (const std::string& part : r.told) EXPECT_TRUE(AnyHolds(said, part)) << r.name << ": " << part;
    EXPECT_EQ(std::set(said.begin(), said.end()).size(), said.size()) << r.name;  // each said once
    if (out.status == RunOutcome::Status::Done) {
      EXPECT_FALSE(out.rows.empty()) << r.name;  // the Moon alone makes several aspects a day
      for (const FoundAspect& row : out.rows) EXPECT_NE(row.body[1], kChiron) << r.name;
    } else {
      EXPECT_TRUE(folder.Entries().empty()) << r.name;
    }
  }
}

// Fifty years of every body in every role: hours of work. Cancel, given as soon as the
// progress first moves, stops it long before a hundredth of its windows are done, and
// nothing is written.
TEST(limits, fifty_years_of_every_body_stop_on_cancel) {
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
  EXPECT_TRUE(out.rows.empty());
  EXPECT_TRUE(folder.Entries().empty());
  EXPECT_GT(total, 100'000'000);  // windows of all combinations
  EXPECT_LT(last_done, total / 100);
}

}  // namespace
}  // namespace tarnwick
