// The runner with a natal chart: --chart, --natal and the centre n, their usage errors, the
// report's "n." rows and the report name's centre letters.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
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

  // The exports carry the chart's name: the CSV in a last column (left empty by an event),
  // the calendar in each summary and in its own name.
  const std::string chart = "--no-save --chart " + (folder / "t.chart").string() + span;
  const Ran csv = RunCli(chart + " --format csv --events stations");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find(",aspect3_name,chart\r\n"), std::string::npos) << csv.out;
  EXPECT_NE(csv.out.find(",Test\r\n"), std::string::npos) << csv.out;
  EXPECT_NE(csv.out.find("event: station"), std::string::npos) << csv.out;
  size_t columns = std::string::npos;
  for (size_t at = 0, end; (end = csv.out.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string record = csv.out.substr(at, end - at);
    const size_t commas = static_cast<size_t>(std::count(record.begin(), record.end(), ','));
    if (columns == std::string::npos) columns = commas;
    EXPECT_EQ(commas, columns) << record;
  }
  // A run on g and h with a chart given exports as one without it.
  const Ran moving = RunCli("--no-save --chart " + (folder / "t.chart").string() +
                            " --start 01/01/2025 --end 12/31/2025 --tz 0 --triple 0 --p1 Sun --p2 Saturn --format csv");
  ASSERT_EQ(moving.status, 0) << moving.err;
  EXPECT_NE(moving.out.find(",aspect3_name\r\n"), std::string::npos) << moving.out;
  const Ran ics = RunCli(chart + " --format ics");
  ASSERT_EQ(ics.status, 0) << ics.err;
  EXPECT_NE(ics.out.find("SUMMARY:Saturn 0\u00B0 Sun (natal\\, Test)"), std::string::npos) << ics.out;
  std::string unfolded = ics.out;  // a long line goes on after a line end and a blank
  for (size_t fold; (fold = unfolded.find("\r\n ")) != std::string::npos;) unfolded.erase(fold, 3);
  EXPECT_NE(unfolded.find("X-WR-CALNAME:Tarnwick longitude 01/01/2025 to 12/31/2025, time zone 0, chart Test"),
            std::string::npos) << unfolded;

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
  // The angles with their declinations (sin d = sin e sin l for a point of the ecliptic).
  const size_t asc = table.out.find("Ascendant Leo");
  ASSERT_NE(asc, std::string::npos) << table.out;
  EXPECT_NE(table.out.substr(asc, table.out.find('\n', asc) - asc).find("19 N 16"), std::string::npos) << table.out;
}

}  // namespace
}  // namespace tarnwick
