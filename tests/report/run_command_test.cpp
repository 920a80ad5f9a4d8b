#include "report/run_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>

#include "core/calendar.h"
#include "store/file_faults.h"
#include "tests/engine/synthetic_provider.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {


// Sun and Jupiter fixed at 100 and 190 degrees; Mars passes 100 at 12:00 local time
// (zone 5) on 12/02/2007, one degree a day, so it meets the Sun there and squares Jupiter
// at the same moment.
ProviderFactory Synthetic(std::set<int> unavailable = {}) {
  return [unavailable] {
    const double root = ConvertDatetoJD(12, 2, 2007) + 17.0 / 24.0;
    auto eph = std::make_unique<SyntheticProvider>(root);
    eph->bodies[idxSun] = {100.0, 0.0, -20.0, 0.0};
    eph->bodies[kMars] = {100.0, 1.0, 20.0, 0.0};
    eph->bodies[kJupiter] = {190.0, 0.0, -21.0, 0.0};
    eph->unavailable = unavailable;
    return eph;
  };
}

struct RunFixture : ::testing::Test {
  ScratchFolder folder;
  RunRequest request;
  RunFixture() {
    RunSettings& s = request.settings;
    s.txtStartDate = "12/01/2007";
    s.txtEndDate = "12/03/2007";
    s.chkUseP3 = false;
    s.chkInclude15DegAspects = false;
    s.chkP1Planets = BodyList({idxSun});
    s.chkP2Planets = BodyList({kMars});
    s.chkP3Planets = {};
    request.data_folder = folder.path();
  }
};

// The report's name does not depend on the bodies, so a second run replaces the file. Which
// name a run gives its report: report_lines_test (report_names), and the golden reports. A
// link in the report's place: store_test (atomic_file).
TEST_F(RunFixture, report_fills_pane_and_file_alike_a_second_run_replaces_it_and_none_is_empty) {
  const RunOutcome out = RunAspectarian(request, Synthetic());
  ASSERT_EQ(out.status, RunOutcome::Status::Done);
  ASSERT_EQ(out.save_error, "");
  ASSERT_EQ(out.rows.size(), 1u);
  EXPECT_NE(out.pane_text.find("g. Sun      g. Mars     12/02/2007 12:00"), std::string::npos) << out.pane_text;
  EXPECT_EQ(out.file_path, folder / "12012007_12032007_5_3.0_15.0_gg_mp_30_noRA.txt");
  EXPECT_EQ(ReadBytes(out.file_path), out.pane_text);
  request.settings.chkP2Planets[kMars] = false;
  request.settings.chkP2Planets[kJupiter] = true;
  const RunOutcome second = RunAspectarian(request, Synthetic());
  EXPECT_EQ(second.file_path, out.file_path);
  EXPECT_NE(second.pane_text, out.pane_text);  // the square to Jupiter
  EXPECT_EQ(ReadBytes(second.file_path), second.pane_text);
  EXPECT_EQ(folder.Entries().size(), 1u);
  // A run that finds nothing writes an empty report under the usual name.
  request.settings.chkP2Planets = BodyList({kMars});
  request.settings.txtEndDate = "12/01/2007";
  const RunOutcome empty = RunAspectarian(request, Synthetic());
  EXPECT_EQ(std::tuple(empty.status, empty.pane_text, ReadBytes(empty.file_path)),
            std::tuple(RunOutcome::Status::Done, "", ""));
  EXPECT_EQ(empty.file_path, folder / "12012007_12012007_5_3.0_15.0_gg_mp_30_noRA.txt");
  EXPECT_EQ(folder.Entries().size(), 2u);
}

// Every combination of centres, {P2, P3} once. The run over them: engine_test (run_plan:
// the centres left geocentric; scan: which centre a body takes) and report_names (the name).
TEST_F(RunFixture, every_combination_of_centres_with_p3) {
  RunSettings& s = request.settings;
  s.chkAutoCalc = true;
  EXPECT_EQ(CentreSeries(s).size(), 3u);  // gg, gh, hh
  s.chkUseP3 = true;
  EXPECT_EQ(CentreSeries(s),
            (std::vector<std::array<Centre, 3>>{{g, g, g}, {g, g, h}, {g, h, h}, {h, g, g}, {h, g, h}, {h, h, h}}));
}

// A run that cannot start says why and writes nothing: inputs that cannot be read (every
// field at fault, not only the first; each field's rules: engine_test and core_test), a set of
// aspects none of which is on the grid, checked bodies that form no combination, or bodies
// none of which can be computed (rather than an empty report, as if no aspect had formed).
TEST_F(RunFixture, refused_runs_say_why_and_write_nothing) {
  struct Row { const char* name; std::function<void(RunSettings&)> change; std::set<int> unavailable; std::vector<std::string> problems; };
  const Row rows[] = {
      {"bad date and time zone", [](RunSettings& s) { s.txtStartDate = "12/32/2007"; s.txtTZ = "five"; }, {},
       {"Start Date: \"12/32/2007\" is not a valid date in the order month/day/year.",
        "Time Zone: \"five\" is not a number of hours (for example 5, -3 or 5.5) nor a time zone name "
        "of the tz database (for example Europe/Berlin)."}},
      {"aspects off the 30-degree grid", [](RunSettings& s) { s.txtAspectSet = "15,45"; }, {},
       {"Aspects: the set \"15,45\" holds no aspect of the 30-degree grid, so nothing could be listed; tick "
        "other aspects or include the 15-degree aspects."}},
      {"the same body twice", [](RunSettings& s) { s.chkP2Planets = s.chkP1Planets; }, {},
       {"Bodies: the checked bodies give no combination to search. P1 and P2 each need a checked "
        "body that can take the role (a heliocentric role takes no Sun, Moon, node or Lilith; a "
        "geocentric role takes no Earth), other than the body of another role."}},
      {"no body can be computed", [](RunSettings&) {}, {idxSun, kMars},
       {"Bodies: no combination of the checked bodies can be computed from 12/01/2007 to "
        "12/03/2007, so nothing was searched. The Swiss Ephemeris says:",
        "Sun (geocentric): file for body 0 not found", "Mars (geocentric): file for body 4 not found"}},
  };
  for (const Row& r : rows) {
    RunRequest changed = request;
    r.change(changed.settings);
    const RunOutcome out = RunAspectarian(changed, Synthetic(r.unavailable));
    EXPECT_EQ(std::pair(out.status, out.problems), std::pair(RunOutcome::Status::Refused, r.problems)) << r.name;
  }
  EXPECT_TRUE(folder.Entries().empty());
  // A declination run names no aspect: the set plays no part.
  request.kind = ScanKind::Declination;
  request.settings.txtAspectSet = "15,45";
  EXPECT_EQ(RunAspectarian(request, Synthetic()).status, RunOutcome::Status::Done);
}

TEST_F(RunFixture, unavailable_bodies_are_left_out_by_name_and_progress_reaches_the_total) {
  request.settings.chkP2Planets[idxSedna] = true;
  std::int64_t last_done = -1, last_total = -1;
  request.progress = [&](std::int64_t done, std::int64_t total) {
    last_done = done;
    last_total = total;
  };
  const RunOutcome out = RunAspectarian(request, Synthetic({idxSedna}));
  EXPECT_EQ(out.notices, std::vector<std::string>{"Sedna (geocentric) was left out: file for body 21 not found"});
  EXPECT_EQ(out.rows.size(), 1u);  // Sun-Mars still searched
  // The one combination searched, three days, and all of them done.
  EXPECT_EQ(std::pair(last_done, last_total), std::pair(std::int64_t{3}, std::int64_t{3}));
}

// A pair checked only the other way round (Mars for P1, the Sun for P2 on one centre) is not
// searched: the run says so, by name, unless the pair is searched the usual way round too or
// the centres differ.
TEST_F(RunFixture, a_pair_checked_only_the_other_way_round_is_named_as_not_searched) {
  // P2 always holds Jupiter, something to search in every case.
  struct Case { const char* name; std::vector<int> p1, p2; Centre p2_centre; bool told; };
  const Case cases[] = {
      {"Mars for P1, Sun for P2", {kMars}, {idxSun, kJupiter}, Centre::Geo, true},
      {"both ways checked", {kMars, idxSun}, {kMars, idxSun, kJupiter}, Centre::Geo, false},
      {"the usual way round", {idxSun}, {kMars, kJupiter}, Centre::Geo, false},
      {"P2 heliocentric", {kMars}, {kJupiter}, Centre::Helio, false},
  };
  for (const Case& c : cases) {
    RunSettings& s = request.settings;
    s.chkP1Planets = BodyList(c.p1);
    s.chkP2Planets = BodyList(c.p2);
    s.opt2_ghd = c.p2_centre;
    request.save = false;
    const RunOutcome out = RunAspectarian(request, Synthetic());
    ASSERT_EQ(out.status, RunOutcome::Status::Done) << c.name;
    const bool told = std::any_of(out.notices.begin(), out.notices.end(), [](const std::string& n) {
      return n.starts_with("Not searched: Mars with Sun.") && n.find("check Sun for P1 and Mars for P2") != std::string::npos;
    });
    EXPECT_EQ(told, c.told) << c.name;
  }
}

// A data folder that cannot be made: the message gives the reason the system gave for the
// folder, not the later "No such file or directory" of the file in it.
TEST_F(RunFixture, data_folder_that_cannot_be_made_says_why) {
  request.data_folder = folder / "reports";
  const ScopedFileFault refused(FileFault{FileCall::MakeFolder, EROFS});
  const RunOutcome out = RunAspectarian(request, Synthetic());
  EXPECT_EQ(out.save_error, CouldNotSave(request.data_folder / "12012007_12032007_5_3.0_15.0_gg_mp_30_noRA.txt",
                                         "Read-only file system"));
  EXPECT_EQ(out.file_path, "");
  EXPECT_EQ(out.rows.size(), 1u);  // the report is shown all the same
  EXPECT_TRUE(folder.Entries().empty());
}

// The report written as its rows come is the report kept whole: the pieces handed out, the
// file, and a run that keeps neither rows nor text.
TEST_F(RunFixture, streamed_report_is_the_report_kept_whole) {
  request.settings.txtEndDate = "12/31/2009";
  std::string pieces;
  int calls = 0;
  request.on_pane_text = [&](std::string_view piece) {
    pieces += piece;
    ++calls;
  };
  const RunOutcome kept = RunAspectarian(request, Synthetic());
  ASSERT_EQ(kept.status, RunOutcome::Status::Done);
  ASSERT_GT(kept.rows.size(), 20u);  // Mars passes a 30-degree step of the Sun every 30 days
  EXPECT_GT(calls, 3);               // handed out as found, not once at the end
  EXPECT_EQ(pieces, kept.pane_text);
  EXPECT_EQ(ReadBytes(kept.file_path), kept.pane_text);

  pieces.clear();
  request.keep_rows = request.keep_pane_text = false;
  const RunOutcome streamed = RunAspectarian(request, Synthetic());
  EXPECT_TRUE(streamed.rows.empty() && streamed.pane_text.empty());
  EXPECT_EQ(streamed.rows_found, static_cast<std::int64_t>(kept.rows.size()));
  EXPECT_EQ(pieces, kept.pane_text);
  EXPECT_EQ(ReadBytes(streamed.file_path), kept.pane_text);
}

// A run cancelled after its first rows, or refused by the size check before it searches,
// leaves no report and no temporary file. The size check sees the rows the motions give:
// Mars moves one degree a day from a fixed Sun, one 30-degree step in 30 days.
TEST_F(RunFixture, cancelled_or_refused_runs_leave_no_file) {
  request.settings.txtEndDate = "12/31/2009";  // 762 days
  std::atomic<bool> cancel{false};
  request.cancel = &cancel;
  request.on_pane_text = [&](std::string_view) { cancel = true; };
  EXPECT_EQ(RunAspectarian(request, Synthetic()).status, RunOutcome::Status::Cancelled);
  EXPECT_TRUE(folder.Entries().empty());

  cancel = false;
  request.on_pane_text = nullptr;
  RunSize seen;
  bool searched = false;
  request.progress = [&](std::int64_t, std::int64_t) { searched = true; };
  request.on_start = [&](const std::vector<std::string>&, const RunSize& size, std::vector<std::string>& problems) {
    seen = size;
    problems.push_back("Size: too large");
    return false;
  };
  const RunOutcome refused = RunAspectarian(request, Synthetic());
  EXPECT_EQ(refused.status, RunOutcome::Status::Refused);
  EXPECT_EQ(refused.problems, std::vector<std::string>{"Size: too large"});
  EXPECT_TRUE(!searched && folder.Entries().empty());
  EXPECT_NEAR(static_cast<double>(seen.rows), 762.0 / 30.0, 1.0);
  EXPECT_EQ(seen.windows, 762);
}

TEST(run_size, a_run_too_large_names_the_disk_or_the_memory) {
  ScratchFolder folder;
  constexpr std::uint64_t kHuge = std::uint64_t{1} << 62;  // 4 EiB
  struct Row { const char* name; RunSize size; std::filesystem::path where; const char* says; };
  const Row rows[] = {
      {"fits", {1000, 70000, 70000, 10}, folder.path(), ""},
      {"disk", {kHuge / 70, kHuge, 0, 10}, folder.path(), "free on the disk of"},
      {"folder yet to be made: its parent's disk", {kHuge / 70, kHuge, 0, 10}, folder / "a" / "b",
       "free on the disk of"},
      {"memory", {kHuge / 70, 0, kHuge, 10}, folder.path(), "the system has available"},
  };
  for (const Row& r : rows) {
    const std::string problem = RunSizeProblem(r.size, r.where);
    EXPECT_TRUE(*r.says == '\0' ? problem.empty()
                                 : problem.find(r.says) != std::string::npos && problem.find(" rows") != std::string::npos)
        << r.name << ": " << problem;
  }
}

}  // namespace
}  // namespace tarnwick
