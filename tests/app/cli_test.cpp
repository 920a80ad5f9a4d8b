#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "app/cli_options.h"
#include "store/settings_file.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

CliParse Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(cli_options, names_and_aliases_set_the_same_fields) {
  const CliParse a = Parse({"--txtStartDate", "01/01/2008", "--chkUseP3", "0", "--opt2_ghd", "h",
                            "--chkP1Planets", "0-3,Chiron", "--declination", "--no-save"});
  const CliParse b = Parse({"-s", "01/01/2008", "--triple", "0", "--c2", "h", "-1", "Sun, moon,2,Venus,chiron",
                            "--declination", "--no-save"});
  ASSERT_EQ(a.status, CliParse::Status::Run) << a.text;
  ASSERT_EQ(b.status, CliParse::Status::Run) << b.text;
  EXPECT_EQ(a.options.settings, b.options.settings);
  EXPECT_EQ(a.options.settings.txtStartDate, "01/01/2008");
  EXPECT_FALSE(a.options.settings.chkUseP3);
  EXPECT_EQ(a.options.settings.opt2_ghd, Centre::Helio);
  BodySelection expected{};
  for (const int i : {0, 1, 2, 3, 15}) expected[i] = true;
  EXPECT_EQ(a.options.settings.chkP1Planets, expected);
  EXPECT_EQ(a.options.kind, ScanKind::Declination);
  EXPECT_FALSE(a.options.save);
  EXPECT_EQ(Parse({}).options.settings, RunSettings{});  // the initial settings
}

TEST(cli_options, usage_errors_say_what_is_wrong) {
  struct Row {
    std::vector<std::string> args;
    const char* mentions;
  };
  const Row rows[] = {
      {{"--chkUseP3", "2"}, "chkUseP3"},
      {{"--c1", "x"}, "opt1_ghd"},
      {{"--p2", "Sun,Vulcan"}, "Vulcan"},
      {{"--p2", "9-3"}, "9-3"},
      {{"--p3", "26"}, "26"},
      {{"--no-such-option"}, "no-such-option"},
      {{"--threads", "0"}, "threads"},
      {{"--start"}, "txtStartDate"},
  };
  for (const Row& r : rows) {
    const CliParse p = Parse(r.args);
    EXPECT_EQ(p.status, CliParse::Status::UsageError) << r.args[0];
    EXPECT_NE(p.text.find(r.mentions), std::string::npos) << p.text;
  }
  EXPECT_EQ(Parse({"--help"}).status, CliParse::Status::Help);
  EXPECT_NE(Parse({"--help"}).text.find("Example"), std::string::npos);
}

TEST(cli_options, settings_file_first_then_options) {
  ScratchFolder folder;
  RunSettings saved;
  saved.txtStartDate = "02/01/2009";
  saved.txtTZ = "-3";
  saved.chkUse_RA = true;
  ASSERT_TRUE(SaveSettingsFile(folder / "a.opt", saved));
  const CliParse p = Parse({"--settings", (folder / "a.opt").string(), "--tz", "0"});
  ASSERT_EQ(p.status, CliParse::Status::Run) << p.text;
  EXPECT_EQ(p.options.settings.txtStartDate, "02/01/2009");
  EXPECT_TRUE(p.options.settings.chkUse_RA);
  EXPECT_EQ(p.options.settings.txtTZ, "0");
  const CliParse missing = Parse({"--settings", (folder / "none.opt").string()});
  EXPECT_EQ(missing.status, CliParse::Status::FileError);
  EXPECT_NE(missing.text.find("none.opt"), std::string::npos) << missing.text;
}

// ---- The runner as a user starts it --------------------------------------------------------

struct Ran {
  int status;
  std::string out;
};

Ran RunCli(const std::string& args) {
  std::string out;
  FILE* p = popen((std::string(TARNWICK_CLI) + " " + args + " 2>&1").c_str(), "r");
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(runner, bad_input_is_refused_with_a_message_and_no_file) {
  ScratchFolder folder;
  const std::string dir = " --data-dir " + folder.path().string();
  struct Row {
    const char* args;
    int status;
    const char* says;
  };
  const Row rows[] = {
      {"--start 13/01/2007", 1, "Start Date: \"13/01/2007\" is not a valid date in the order month/day/year."},
      {"--tz 5h", 1, "Time Zone: \"5h\" is not a number of hours"},
      {"--settings /nonexistent/x.opt", 1, "/nonexistent/x.opt"},
      {"--p1 Sun,Foo", 2, "\"Foo\" names no body"},
      {"--start 01/01/1500", 1, "Start Date: \"01/01/1500\" lies before 10/16/1582"},
      {"--start 01/01/3500 --end 01/02/3500", 1, "Jupiter (geocentric): SwissEph file 'sepl_30.se1' not found"},
      {"--p1 none", 1, "Bodies: the checked bodies give no combination to search."},
  };
  for (const Row& r : rows) {
    const Ran ran = RunCli(r.args + dir);
    EXPECT_EQ(ran.status, r.status) << r.args << "\n" << ran.out;
    EXPECT_NE(ran.out.find(r.says), std::string::npos) << ran.out;
  }
  EXPECT_TRUE(folder.Entries().empty());
}

// Before the files' first year the planets come from the library's analytic ephemeris: the
// table of positions says so on each line it concerns.
TEST(runner, body_table_notes_the_analytic_ephemeris) {
  const Ran ran = RunCli("--bodies --start 01/01/1750");
  EXPECT_EQ(ran.status, 0) << ran.out;
  const size_t sun = ran.out.find("\n0   Sun ");
  ASSERT_NE(sun, std::string::npos) << ran.out;
  const std::string line = ran.out.substr(sun + 1, ran.out.find('\n', sun + 1) - sun - 1);
  EXPECT_NE(line.find("(SwissEph file 'sepl_12.se1' not found in PATH"), std::string::npos) << line;
  EXPECT_TRUE(line.ends_with("using Moshier eph.)")) << line;
}

// A report that cannot be saved is still printed; the runner names the file and the reason
// and exits with 1, and the folder holds what it held.
TEST(runner, unsaved_report_is_printed_and_named) {
  const std::string name = "12012007_12022007_5_3.0_15.0_gg_mp_15_noRA.txt";
  struct Row {
    const char* what;
    std::string data_dir;  // under the scratch folder
    std::string more;      // further options
    std::string file;      // the file named, under the scratch folder
    const char* reason;
  };
  const Row rows[] = {
      {"data folder under a file", "file/data", "", "file/data/" + name, "Not a directory"},
      {"a folder of the report's name", "data", "", "data/" + name, "Is a directory"},
      {"a name longer than 255 bytes", "data", " --orb1 " + std::string(240, '3'),
       "data/12012007_12022007_5_" + std::string(240, '3') + "_15.0_gg_mp_15_noRA.txt", "File name too long"},
  };
  for (const Row& r : rows) {
    ScratchFolder folder;
    WriteBytes(folder / "file", "x");
    std::filesystem::create_directories(folder / "data" / name);
    const Ran ran = RunCli("--start 12/01/2007 --end 12/02/2007 --triple 0 --p1 0-9 --p2 0-9 --data-dir " +
                           (folder / r.data_dir).string() + r.more);
    EXPECT_EQ(ran.status, 1) << r.what << "\n" << ran.out;
    EXPECT_NE(ran.out.find("--------------------------------------------------"), std::string::npos) << r.what;
    EXPECT_NE(ran.out.find("Could not save \"" + (folder / r.file).string() + "\": " + r.reason), std::string::npos)
        << r.what << "\n" << ran.out;
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"data", "file"})) << r.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "data"), {}), 1) << r.what;
  }
}

}  // namespace
}  // namespace tarnwick
