// Whole runs on the real ephemeris against reports kept byte for byte.
#include <gtest/gtest.h>

#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"
#include "test_paths.h"

namespace tarnwick {
namespace {

struct Golden { const char* name; ScanKind kind; const char* end; std::vector<int> bodies; const char* file; };

class GoldenTest : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenTest, report_file_matches_byte_for_byte) {
  const Golden& g = GetParam();
  ScratchFolder folder;
  RunRequest request;
  request.kind = g.kind;
  RunSettings& s = request.settings;
  s.txtStartDate = "01/01/2008";
  s.txtEndDate = g.end;
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = BodyList(g.bodies);
  request.data_folder = folder.path();
  for (const int threads : {1, 2}) {
    request.options.threads = threads;
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.file_name, g.file);
    const std::string expected = ReadBytes(std::filesystem::path(TestPath("TARNWICK_TEST_DATA_DIR")) / "golden" / g.file);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadBytes(out.file_path), expected) << "threads " << threads;
  }
}

INSTANTIATE_TEST_SUITE_P(
    runs, GoldenTest,
    ::testing::Values(Golden{"longitude", ScanKind::Longitude, "01/05/2008", {0, 1, 2, 3, 4},
                             "01012008_01052008_5_3.0_15.0_gg_mp_15_noRA.txt"},
                      Golden{"declination", ScanKind::Declination, "01/10/2008", {0, 1, 2, 3, 4, 5, 6},
                             "01012008_01102008_5_decl_gg_mp_15_noRA_geoDecl.txt"}),
    [](const auto& row) { return std::string(row.param.name); });

// Remembered positions, passed-over windows and two threads must not change a byte of the
// report: the benchmark's scenarios on spans short enough for a test.
struct Shortened {
  const char* name;
  ScanKind kind;
  const char* start;
  const char* end;
  std::vector<int> bodies;  // every role; empty: the initial selection
  bool triple;
  bool all_centres;
};

void PrintTo(const Shortened& sc, std::ostream* os) { *os << sc.name; }

class OptimisedRunTest : public ::testing::TestWithParam<Shortened> {};

TEST_P(OptimisedRunTest, gives_the_report_of_the_plain_run) {
  const Shortened& sc = GetParam();
  RunRequest request;
  request.kind = sc.kind;
  request.save = false;
  RunSettings& s = request.settings;
  s.txtStartDate = sc.start;
  s.txtEndDate = sc.end;
  s.chkUseP3 = sc.triple;
  s.chkAutoCalc = sc.all_centres;
  if (!sc.bodies.empty()) {
    s.chkP1Planets = s.chkP2Planets = s.chkP3Planets = BodyList(sc.bodies);
  }
  const auto run = [&](int threads, bool optimised) {
    request.options.threads = threads;
    request.options.cache = request.options.skip = optimised;
    return RunOnLibrary(request);
  };
  const RunOutcome plain = run(1, false);
  ASSERT_FALSE(plain.rows.empty());
  EXPECT_EQ(run(1, true).pane_text, plain.pane_text);
  EXPECT_EQ(run(2, true).pane_text, plain.pane_text);
}

INSTANTIATE_TEST_SUITE_P(
    scenarios, OptimisedRunTest,
    ::testing::Values(
        Shortened{"initial_settings", ScanKind::Longitude, "12/01/2007", "12/31/2007", {}, true, false},
        Shortened{"sun_to_pluto_two_bodies", ScanKind::Longitude, "01/01/2008", "02/29/2008",
                  {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, false},
        Shortened{"nineteen_triple_all_centres", ScanKind::Longitude, "01/01/2008", "01/03/2008",
                  {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20}, true, true},
        Shortened{"declination_all_centres", ScanKind::Declination, "01/01/2008", "04/30/2008",
                  {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, true}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tarnwick
