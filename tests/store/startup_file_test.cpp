// The start-up file, and where the program keeps its files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <optional>
#include <tuple>

#include "store/chart_file.h"
#include "store/program_files.h"
#include "store/startup_file.h"
#include "store/window_state.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};
const CalendarDate kToday{2, 10, 2024};

TEST(startup_file, defaults_span_todays_month_in_the_regional_order_and_reading_rules) {
  const StartupValues defaults = DefaultStartupValues(kToday, kUs);
  const auto with = [&](std::string StartupValues::*member, std::string value) {
    StartupValues v = defaults;
    v.*member = std::move(value);
    return v;
  };
  StartupValues later = with(&StartupValues::txtTZ, "4");
  later.txtStartTime = "09:00";
  const std::pair<std::string, StartupValues> rows[] = {
      {"end_date=12/24/2009", with(&StartupValues::txtEndDate, "12/24/2009")},
      {"start_date=\r\ntime_zone=", defaults},  // empty values keep what was there
      {"start_dates=1/1/2000", with(&StartupValues::txtStartDate, "1/1/2000")},  // key length
      {"OutputNameFileOPTFile=/x/a=b.opt", with(&StartupValues::settings_file_path, "/x/a=b.opt")},
      {"Start_date=1/1/2000\r\n start_date=1/1/2000\r\n[x]time_zone=3", defaults},
      {"end_time", with(&StartupValues::txtEndTime, "end_time")},  // no "=": the whole line
      {"time_zone=3\nstart_time=09:00\rtime_zone=4", later},     // any order, later lines win
      // A zone name the database does not know leaves the offset.
      {"time_zone=4\r\nzone_name=Mars/Olympus", with(&StartupValues::txtTZ, "4")},
  };
  for (const auto& [text, expected] : rows)
    EXPECT_EQ(StartupValuesFromText(text, defaults), expected) << text;
  // The defaults span today's month in the regional order.
  const std::tuple<CalendarDate, RegionalFormat, const char*, const char*> months[] = {
      {{2, 15, 2024}, kUs, "02/01/2024", "02/29/2024"},
      {{12, 31, 2007}, {DateOrder::DayMonthYear, ".", ','}, "01.12.2007", "31.12.2007"},
      {{2, 1, 2023}, {DateOrder::YearMonthDay, "-", '.'}, "2023-02-01", "2023-02-28"},
  };
  for (const auto& [today, format, start, end] : months)
    EXPECT_EQ(DefaultStartupValues(today, format), (StartupValues{start, end, "10:00", "10:59", "5", ""}));
}

TEST(startup_file, writes_seven_crlf_lines_and_reads_them_back) {
  ScratchFolder dir;
  const StartupValues v{"12/01/2007", "12/31/2007", "10:00", "10:59", "5", "/home/u/x.opt"};
  ASSERT_TRUE(WriteStartupFile(dir / "Quillmere.ini", v));
  EXPECT_EQ(ReadBytes(dir / "Quillmere.ini"), "[Quillmere] - Do NOT change the order of these variables.\r\n"
            "start_date=12/01/2007\r\nend_date=12/31/2007\r\nstart_time=10:00\r\nend_time=10:59\r\n"
            "time_zone=5\r\nOutputNameFileOPTFile=/home/u/x.opt\r\n");

  // A value holding a line break would become lines of its own: refused, old file kept.
  StartupValues odd = v;
  odd.settings_file_path = "/home/u/odd\nname.opt";
  EXPECT_EQ(WriteStartupFile(dir / "Quillmere.ini", odd).message,
            CouldNotSave(dir / "Quillmere.ini", "the value of OutputNameFileOPTFile holds a line "
                                                "break, which the start-up file cannot store."));
  EXPECT_EQ(ReadStartupFile(dir / "Quillmere.ini", kToday, kUs).values, v);
  // A zone name: time_zone keeps its standard offset, where readers of fixed offsets look, and
  // a last line names the zone for this program.
  StartupValues berlin = v;
  berlin.txtTZ = "Europe/Berlin";
  const std::string text = StartupFileText(berlin);
  EXPECT_NE(text.find("\r\ntime_zone=-1\r\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\r\nzone_name=Europe/Berlin\r\n")) << text;
  EXPECT_EQ(StartupValuesFromText(text, StartupValues{}), berlin);
}

// A first start has no file: nothing to tell. Text in another form is read; no text, or an
// absurd value, is named and left out; a file that cannot be read at all keeps the defaults.
TEST(startup_file, unreadable_file_keeps_the_defaults) {
  ScratchFolder dir;
  std::filesystem::create_directory(dir / "folder.ini");
  // bytes: nullptr for no file; tz: the time zone read; says: after "Start-up file "<path>": ",
  // or after "Could not read "<path>": " with `unread`.
  struct Row { const char* name; std::optional<std::string> bytes; const char* tz; bool unread; const char* says; };
  const Row rows[] = {
      {"Quillmere.ini", std::nullopt, "5", false, ""},
      {"utf16.ini", std::string("\xFF\xFEt\0i\0m\0e\0_\0z\0o\0n\0e\0=\0-\0\x33\0", 26), "-3", false, ""},
      {"binary.ini", std::string("time_zone=3\0\0", 13), "5", false,
       "it holds NUL bytes, which no text file has; none of its values was used."},
      {"long.ini", "time_zone=3\r\nstart_date=" + std::string(40000, '1'), "3", false,
       "the value of start_date is 40000 bytes long and was ignored."},
      {"folder.ini", std::nullopt, "5", true, "it is a folder, not a file"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    if (r.bytes) WriteBytes(dir / r.name, *r.bytes);
    const StartupLoad load = ReadStartupFile(dir / r.name, kToday, kUs);
    StartupValues expected = DefaultStartupValues(kToday, kUs);
    expected.txtTZ = r.tz;
    EXPECT_EQ(load.values, expected);
    const std::string path = (dir / r.name).string();
    EXPECT_EQ(load.message, *r.says == '\0' ? "" : r.unread ? CouldNotRead(path, r.says) : "Start-up file \"" + path + "\": " + r.says);
  }
}

// A start-up file the user made read-only is left as it is at exit, and the answer says so;
// any write permission of this user lets it be replaced. The bits are checked, not the
// system's answer, since tests may run as root, who writes through them.
TEST(startup_file, read_only_file_is_left_as_it_is) {
  const StartupValues values{"12/01/2007", "12/31/2007", "10:00", "10:59", "5", ""};
  const std::pair<mode_t, bool> rows[] = {{0444, false}, {0400, false}, {0644, true}, {0200, true}};
  for (const auto& [mode, written] : rows) {
    SCOPED_TRACE(mode);
    ScratchFolder dir;
    const std::filesystem::path path = dir / "Quillmere.ini";
    WriteBytes(path, "time_zone=-3\r\n");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    const FileStatus s = WriteStartupFile(path, values);
    const std::string left = "\" as it is: the file is read-only, so this session's span, times, time zone and "
                             "settings file are not kept in it.";
    EXPECT_EQ(std::pair(s.ok, s.message), std::pair(true, written ? "" : "Left \"" + path.string() + left));
    EXPECT_EQ(ReadBytes(path) == "time_zone=-3\r\n", !written);
    EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(path).permissions()), mode);
  }
}

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](std::string_view name) -> std::optional<std::string> {
    const auto it = vars.find(std::string(name));
    return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
  };
}

// A ProgramFiles whole: the start-up file, the data folder, the user's and the shipped help
// file, the ephemeris path, whether beside the program.
using Files = std::tuple<fs::path, fs::path, fs::path, fs::path, std::string, bool>;
Files Whole(const ProgramFiles& f) {
  return {f.startup_file, f.data_folder, f.help_file, f.shipped_help_file, f.ephemeris_path, f.beside_program};
}

TEST(program_files, beside_a_writable_program_else_in_xdg_folders_and_installed_in_share) {
  // program folder writable, environment, folder of Quillmere.ini, folder of data/ and help.txt
  const std::tuple<bool, std::map<std::string, std::string>, const char*, std::string> rows[] = {
      {true, {{"HOME", "/home/u"}}, "/opt/tw", "/opt/tw"},
      {false, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/dat"}},
       "/cfg/tarnwick", "/dat/tarnwick"},
      {false, {{"HOME", "/home/u"}}, "/home/u/.config/tarnwick", "/home/u/.local/share/tarnwick"},
      {false, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", "rel"}},
       "/home/u/.config/tarnwick", "/home/u/.local/share/tarnwick"},  // unusable XDG values
      {false, {}, "/opt/tw", "/opt/tw"},  // no home at all: writing will say why it fails
  };
  for (const auto& [writable, env, config, data] : rows) {
    EXPECT_EQ(Whole(LocateProgramFiles("/opt/tw", writable, Env(env))),
              Files(fs::path(config) / "Quillmere.ini", fs::path(data) / "data", fs::path(data) / "help.txt",
                    "/opt/tw/help.txt", "/opt/tw:/opt/tw/ephe:/usr/share/libswe/ephe", data == "/opt/tw"));
  }
  // As `cmake --install --prefix <dir>/prefix` lays it out: bin/ beside share/tarnwick/.
  // The prefix is writable (a user's own prefix, or root's), yet an installed copy never
  // writes into bin/.
  ScratchFolder dir;
  const fs::path bin = dir / "prefix/bin", share = dir / "prefix/share/tarnwick";
  for (const fs::path& folder : {bin, share}) fs::create_directories(folder);
  EXPECT_EQ(InstalledDataFolder(bin), std::nullopt);  // no shipped help.txt yet
  WriteBytes(share / "help.txt", "manual");
  EXPECT_EQ(InstalledDataFolder(bin), share);
  EXPECT_EQ(InstalledDataFolder(dir / "prefix/libexec"), std::nullopt);  // not a bin/

  const std::string home = (dir / "home").string();
  for (const bool writable : {true, false}) {
    const ProgramFiles f = LocateProgramFiles(bin, writable, Env({{"HOME", home}}));
    EXPECT_EQ(Whole(f), Files(home + "/.config/tarnwick/Quillmere.ini", home + "/.local/share/tarnwick/data",
                              home + "/.local/share/tarnwick/help.txt", share / "help.txt",
                              home + "/.local/share/tarnwick/ephe:/usr/share/libswe/ephe", false));
    EXPECT_EQ(HelpFileToOpen(f), share / "help.txt");
  }
  // Without any home the copy falls back to its own folder, and says why a write fails there.
  const ProgramFiles homeless = LocateProgramFiles(bin, true, Env({}));
  EXPECT_EQ(std::pair(homeless.data_folder, homeless.shipped_help_file), std::pair(bin / "data", share / "help.txt"));
}

TEST(program_files, folders_created_failures_named_and_users_help_preferred) {
  ScratchFolder dir;
  const ProgramFiles f = LocateProgramFiles(dir / "program", false, Env({{"HOME", (dir / "home").string()}}));
  EXPECT_EQ(HelpFileToOpen(f), dir / "program" / "help.txt");
  EXPECT_TRUE(CreateProgramFolders(f).empty());
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/tarnwick/data") && fs::is_directory(dir / "home/.config/tarnwick"));
  WriteBytes(f.help_file, "mine");
  EXPECT_EQ(HelpFileToOpen(f), dir / "home/.local/share/tarnwick/help.txt");

  ProgramFiles blocked = f;
  blocked.data_folder = f.help_file;  // a file where the folder should be
  const std::vector<std::string> messages = CreateProgramFolders(blocked);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].starts_with("Could not create the folder \"" + f.help_file.string() + "\": "))
      << messages[0];
  EXPECT_EQ(std::pair(IsWritableFolder(dir.path()), IsWritableFolder(f.help_file)), std::pair(true, false));
}

// The natal chart file: what is saved is read back, and a file that is not a chart is refused
// with the line and the field at fault. The window's state file of keys and values.
TEST(chart_file, saved_chart_reads_back_the_same_or_leaves_the_old_file_and_others_are_refused) {
  ScratchFolder folder;
  const NatalChart charts[] = {
      {"Ada Example", "03/14/1879", "11:30", "-1", "48N24 10E00"},
      {"", "07/21/1969", "02:56:30", "Australia/Sydney", ""},  // no name, no place
      {"Zoë = 1 ☉", "06/15/1990", "14:30", "-5.5", "-33.87,151.21"},  // "=" and UTF-8 in a value
  };
  const std::filesystem::path path = folder / "a.chart";
  for (const NatalChart& c : charts) {
    ASSERT_TRUE(SaveChartFile(path, c)) << c.name;
    EXPECT_EQ(ReadBytes(path).substr(0, 24), "# Tarnwick natal chart\r\n");
    const ChartLoad load = LoadChartFile(path);
    ASSERT_TRUE(load.ok) << load.message;
    EXPECT_EQ(load.chart, c);
  }
  // A line break in a field leaves the old file.
  const std::string before = ReadBytes(path);
  const FileStatus st = SaveChartFile(path, {"A\nB", "01/01/2000", "12:00", "0", ""});
  EXPECT_TRUE(!st.ok && st.message.find("name holds a line break") != std::string::npos) << st.message;
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_FALSE(LoadChartFile(folder / "missing.chart").ok);
  struct Row { const char* what; const char* text; const char* says; };
  const Row rows[] = {
      {"no equals sign", "date=01/01/2000\ntime 12:00\n", "line 2 has no \"=\""},
      {"unknown key", "date=01/01/2000\ntime=12:00\nzone=0\nplanet=Mars\n", "line 4 has the key \"planet\""},
      {"key twice", "date=01/01/2000\ndate=01/02/2000\n", "line 2 gives \"date\" a second time"},
      {"empty time", "date=01/01/2000\ntime=\nzone=0\n", "it has no time= line"},
  };
  for (const Row& r : rows) {
    const ChartLoad refusal = ChartFromText(r.text, "\"x.chart\"");
    EXPECT_FALSE(refusal.ok) << r.what;
    EXPECT_NE(refusal.message.find("\"x.chart\" is not a chart: " + std::string(r.says)), std::string::npos)
        << r.what << ": " << refusal.message;
  }
  // Comments, blank lines, blanks around keys and any line end are fine.
  EXPECT_TRUE(ChartFromText("# mine\r\n\r\n date = 01/01/2000 \rtime=12:00\nzone=0", "x").ok);
}

TEST(window_state, written_state_reads_back_and_what_it_cannot_store_or_use_is_left_out) {
  ScratchFolder folder;
  const WindowState state = {{"geometry", "12,-40,900,640"},
                             {"columns", "AAAA/w==+abc"},  // base64 holds "=" in values
                             {"empty", ""},
                             {"blanks", " a b "}};
  ASSERT_TRUE(WriteWindowState(folder / "window.state", state));
  EXPECT_EQ(ReadWindowState(folder / "window.state"), state);
  EXPECT_EQ(ReadBytes(folder / "window.state").substr(0, 15), "blanks= a b \r\nc");
  // Entries it cannot store are refused, and nothing is written.
  std::filesystem::remove(folder / "window.state");
  const WindowState rows[] = {{{"a=b", "1"}}, {{"key", "two\nlines"}}, {{"", "1"}}, {{"line\r", "1"}}};
  for (const WindowState& bad : rows) {
    const FileStatus status = WriteWindowState(folder / "window.state", bad);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("window.state"), std::string::npos) << status.message;
    EXPECT_FALSE(std::filesystem::exists(folder / "window.state"));
  }
  const std::pair<const char*, WindowState> passed_rows[] = {
      {"", {}}, {"no equals sign\nview=1\n", {{"view", "1"}}}, {"=no key\rview=2", {{"view", "2"}}},
      {"view=1\r\nview=3\r\n", {{"view", "3"}}},  // the last one counts
  };
  for (const auto& [bytes, expected] : passed_rows) {
    WriteBytes(folder / "window.state", bytes);
    EXPECT_EQ(ReadWindowState(folder / "window.state"), expected) << bytes;
  }
  EXPECT_TRUE(ReadWindowState(folder / "missing.state").empty());
}

}  // namespace
}  // namespace tarnwick
