// The runner with a natal chart: --chart, --natal and the centre n, their usage errors, the
// report's "n." rows and the report name's centre letters.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "app/cli_options.h"
#include "run_cli.h"
#include "store/chart_file.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

TEST(cli_natal, options_give_a_chart_or_say_what_is_wrong) {
  const CliParse quick = ParseCommandLine({"--natal", "06/15/1990 14:30", "--natal-tz", "Europe/Berlin",
                                           "--natal-place", "52N31,13E24", "--c2", "n", "--opt3_ghd", "n"});
  ASSERT_EQ(quick.status, CliParse::Status::Run) << quick.text;
  EXPECT_EQ(quick.options.chart, (NatalChart{"", "06/15/1990", "14:30", "Europe/Berlin", "52N31,13E24"}));
  EXPECT_EQ(quick.options.settings.opt2_ghd, Centre::Natal);
  EXPECT_EQ(quick.options.settings.opt3_ghd, Centre::Natal);

  struct Row {
    std::vector<std::string> args;
    const char* says;
  };
  const Row rows[] = {
      {{"--c1", "n"}, "--opt1_ghd: n not in {g,h}"},
      {{"--natal", "06/15/1990"}, "needs a date and a local time"},
      {{"--natal", "06/15/1990 14:30"}, "--natal-tz"},
      {{"--natal", "06/31/1990 14:30", "--natal-tz", "0"}, "Birth date: \"06/31/1990\""},
      {{"--natal", "06/15/1990 14:30", "--natal-tz", "0", "--natal-place", "52N31"}, "Place:"},
      {{"--natal-tz", "0"}, "--natal-tz belongs to --natal"},
      {{"--natal-positions"}, "--natal-positions: give a chart"},
      {{"--chart", "a.chart", "--natal", "06/15/1990 14:30", "--natal-tz", "0"}, "use one of them"},
  };
  for (const Row& r : rows) {
    const CliParse p = ParseCommandLine(r.args);
    EXPECT_EQ(p.status, CliParse::Status::UsageError) << r.args[0];
    EXPECT_NE(p.text.find(r.says), std::string::npos) << r.args[0] << ": " << p.text;
  }
}

// A chart file's transits: rows read "n. Sun", the name carries "n", and without a chart
// the centre n is refused before anything runs.
TEST(cli_natal, chart_file_run_reports_natal_rows) {
  ScratchFolder folder;
  ASSERT_TRUE(SaveChartFile(folder / "t.chart", {"Test", "03/18/1990", "12:00", "0", "52N31 13E24"}));
  const std::string span = " --start 01/01/2025 --end 12/31/2025 --tz 0 --triple 0 --p1 Saturn --p2 Sun --c2 n";
  const Ran ran = RunCli("--chart " + (folder / "t.chart").string() + span + " --data-dir " +
                              folder.path().string() + " --summary " + (folder / "s.txt").string());
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_NE(ran.out.find("g. Saturn   n. Sun"), std::string::npos) << ran.out;
  EXPECT_TRUE(std::filesystem::exists(folder / "01012025_12312025_0_3.0_15.0_gn_mp_15_noRA.txt"))
      << ran.err;
  EXPECT_NE(ReadBytes(folder / "s.txt").find("natal (chart Test): Sun"), std::string::npos) << ReadBytes(folder / "s.txt");

  const Ran refused = RunCli("--no-save" + span);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("P2 centre: \"n\" (natal) needs a natal chart"), std::string::npos) << refused.err;

  const Ran broken = RunCli("--chart " + (folder / "missing.chart").string() + span);
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("missing.chart"), std::string::npos) << broken.err;

  const Ran table = RunCli("--chart " + (folder / "t.chart").string() + " --natal-positions");
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("Natal chart Test: 03/18/1990 12:00 0 = 03/18/1990 12:00 UT"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("Sun       Pisces       27"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("Ascendant"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
