// The natal chart file: what is saved is read back, and a file that is not a chart is refused
// with the line and the field at fault. The window's state file of keys and values.
#include <gtest/gtest.h>

#include "store/chart_file.h"
#include "store/window_state.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

TEST(chart_file, saved_chart_reads_back_the_same_or_leaves_the_old_file_and_others_are_refused) {
  ScratchFolder folder;
  const NatalChart charts[] = {
      {"Ada Example", "03/14/1879", "11:30", "-1", "48N24 10E00"},
      {"", "07/21/1969", "02:56:30", "Australia/Sydney", ""},  // no name, no place
      {"Zoë = 1 ☉", "06/15/1990", "14:30", "-5.5", "-33.87,151.21"},  // "=" and UTF-8 in a value
  };
  for (const NatalChart& c : charts) {
    const std::filesystem::path path = folder / "a.chart";
    ASSERT_TRUE(SaveChartFile(path, c)) << c.name;
    EXPECT_EQ(ReadBytes(path).substr(0, 24), "# Tarnwick natal chart\r\n");
    const ChartLoad load = LoadChartFile(path);
    ASSERT_TRUE(load.ok) << load.message;
    EXPECT_EQ(load.chart, c);
  }
  // A line break in a field leaves the old file.
  const std::filesystem::path path = folder / "a.chart";
  ASSERT_TRUE(SaveChartFile(path, {"A", "01/01/2000", "12:00", "0", ""}));
  const std::string before = ReadBytes(path);
  const FileStatus st = SaveChartFile(path, {"A\nB", "01/01/2000", "12:00", "0", ""});
  EXPECT_FALSE(st.ok);
  EXPECT_NE(st.message.find("name holds a line break"), std::string::npos) << st.message;
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_FALSE(LoadChartFile(folder / "missing.chart").ok);
  struct Row { const char* what; const char* text; const char* says; };
  const Row rows[] = {
      {"no equals sign", "date=01/01/2000\ntime 12:00\n", "line 2 has no \"=\""},
      {"unknown key", "date=01/01/2000\ntime=12:00\nzone=0\nplanet=Mars\n", "line 4 has the key \"planet\""},
      {"key twice", "date=01/01/2000\ndate=01/02/2000\n", "line 2 gives \"date\" a second time"},
      {"no zone", "date=01/01/2000\ntime=12:00\n", "it has no zone= line"},
      {"empty time", "date=01/01/2000\ntime=\nzone=0\n", "it has no time= line"},
      {"a settings file", "12/01/2007\r\n12/31/2007\r\n5\r\n", "line 1 has no \"=\""},
  };
  for (const Row& r : rows) {
    const ChartLoad refusal = ChartFromText(r.text, "\"x.chart\"");
    EXPECT_FALSE(refusal.ok) << r.what;
    EXPECT_NE(refusal.message.find("\"x.chart\" is not a chart: " + std::string()), std::string::npos) << r.what;
    EXPECT_NE(refusal.message.find(r.says), std::string::npos) << r.what << ": " << refusal.message;
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
  ScratchFolder passed;
  const std::pair<const char*, WindowState> passed_rows[] = {
      {"", {}},
      {"no equals sign\nview=1\n", {{"view", "1"}}},
      {"=no key\rview=2", {{"view", "2"}}},
      {"view=1\r\nview=3\r\n", {{"view", "3"}}},  // the last one counts
  };
  for (const auto& [bytes, expected] : passed_rows) {
    WriteBytes(passed / "window.state", bytes);
    EXPECT_EQ(ReadWindowState(passed / "window.state"), expected) << bytes;
  }
  EXPECT_TRUE(ReadWindowState(passed / "missing.state").empty());
}

}  // namespace
}  // namespace tarnwick
