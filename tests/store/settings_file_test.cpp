#include "store/settings_file.h"

#include <gtest/gtest.h>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

// Settings in which every stored field differs from the initial settings.
RunSettings Unusual() {
  RunSettings s;
  s.txtStartDate = "31/12/2009";
  s.txtEndDate = "not a date";
  s.txtTZ = "-3.5";
  s.txtAspectOrb1 = " 2,5x";
  s.txtAspectOrb2 = "";
  s.txtStartTime = "0:00";
  s.txtEndTime = "23:59 \xe9";  // a byte of an 8-bit code page passes through unchanged
  for (int role = 0; role < 3; ++role) {
    for (int i = 0; i < BodyCount; ++i) {
      bool& box = (s.*kRoleFields[static_cast<size_t>(role)].selection)[static_cast<size_t>(i)];
      box = !box;
    }
  }
  for (size_t k = 0; k < kStoredCheckFields; ++k) s.*kCheckFields[k].member ^= true;
  return s;
}

TEST(settings_file, initial_settings_give_93_crlf_lines_in_file_order) {
  const std::string text = SettingsFileText(RunSettings{});
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 93u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  size_t crlf = 0;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++crlf;
  EXPECT_EQ(crlf, 93u);

  const std::vector<std::string> texts = {"12/01/2007", "12/31/2007", "5",    "3.0",
                                          "15.0",       "10:00",      "10:59"};
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(lines[i], texts[i]) << "line " << i + 1;
  for (int role = 0; role < 3; ++role) {
    for (int i = 0; i < BodyCount; ++i) {
      const bool on = (i >= 5 && i <= 9) || i == 15 || i == 21;
      const size_t n = 7 + static_cast<size_t>(role * BodyCount + i);
      EXPECT_EQ(lines[n], (on ? "1 - " : "0 - ") + std::string(BodyCatalogue[i].caption))
          << "line " << n + 1;
    }
  }
  EXPECT_EQ(lines[7], "0 - Sun     ");
  EXPECT_EQ(lines[85], "1 - Do 3-planet aspects (triple aspects)?");
  EXPECT_EQ(lines[86], "0 - Calculate every possible combination of g-h?");
  EXPECT_EQ(lines[92], "0 - Only show aspects within given time period above?");
}

TEST(settings_file, round_trip_restores_stored_fields_and_leaves_the_rest) {
  ScratchFolder dir;
  const auto path = dir / "prepared.opt";
  const RunSettings saved = Unusual();
  ASSERT_TRUE(SaveSettingsFile(path, saved));

  RunSettings before;  // what the window held: the unstored fields must survive the load
  before.opt1_ghd = Centre::Helio;
  before.opt3_ghd = Centre::Helio;
  before.chkDisplayP1_P2P3_mp_aspects = false;
  const SettingsLoad load = LoadSettingsFile(path, before);
  EXPECT_EQ(load.status, SettingsLoadStatus::Complete);
  EXPECT_EQ(load.lines_read, 93);
  EXPECT_EQ(load.message, "");

  RunSettings expected = saved;
  expected.opt1_ghd = Centre::Helio;
  expected.opt2_ghd = Centre::Geo;
  expected.opt3_ghd = Centre::Helio;
  expected.chkDisplayP1_P2P3_mp_aspects = false;
  EXPECT_EQ(load.settings, expected);
  EXPECT_EQ(SettingsFileText(load.settings), ReadBytes(path));
}

TEST(settings_file, check_line_is_set_only_by_a_leading_1) {
  struct Row {
    const char* line;
    bool checked;
  };
  const Row rows[] = {{"1 - Do 3-planet aspects (triple aspects)?", true},
                      {"1", true},
                      {"1abc", true},
                      {" 1", false},
                      {"", false},
                      {"2", false},
                      {"0 - anything", false},
                      {"-1", false}};
  for (const Row& r : rows) {
    std::vector<std::string> lines = SplitLines(SettingsFileText(RunSettings{}));
    lines[7] = r.line;   // chkP1Planets, the Sun
    lines[85] = r.line;  // chkUseP3
    RunSettings current;
    current.chkP1Planets[0] = !r.checked;
    current.chkUseP3 = !r.checked;
    const SettingsLoad load = SettingsFromText(JoinLinesCrLf(lines), current, "x.opt");
    EXPECT_EQ(load.settings.chkP1Planets[0], r.checked) << '"' << r.line << '"';
    EXPECT_EQ(load.settings.chkUseP3, r.checked) << '"' << r.line << '"';
  }
}

TEST(settings_file, any_line_end_reads_the_same) {
  const std::string crlf = SettingsFileText(Unusual());
  std::string lf, cr;
  for (const std::string& line : SplitLines(crlf)) {
    lf += line + "\n";
    cr += line + "\r";
  }
  for (const std::string& text : {crlf, lf, cr}) {
    const SettingsLoad load = SettingsFromText(text, RunSettings{}, "x.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Complete);
    EXPECT_EQ(load.settings, Unusual());
  }
}

TEST(settings_file, short_file_sets_the_fields_it_has_and_says_how_long_it_was) {
  const std::vector<std::string> full = SplitLines(SettingsFileText(Unusual()));
  struct Row {
    int lines;
    std::string tail;
  };
  const Row rows[] = {
      {0, "has 0 lines instead of 93; nothing was loaded."},
      {1, "has 1 line instead of 93; the fields of its lines were loaded and the others kept "
          "their values."},
      {40, "has 40 lines instead of 93; the fields of its lines were loaded and the others "
           "kept their values."},
      {92, "has 92 lines instead of 93; the fields of its lines were loaded and the others "
           "kept their values."},
  };
  for (const Row& r : rows) {
    const std::vector<std::string> head(full.begin(), full.begin() + r.lines);
    const SettingsLoad load = SettingsFromText(JoinLinesCrLf(head), RunSettings{}, "/p/s.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Short) << r.lines;
    EXPECT_EQ(load.lines_read, r.lines);
    EXPECT_EQ(load.message, "Settings file \"/p/s.opt\" " + r.tail);
    // The lines present came from the file, the rest kept the current values.
    std::vector<std::string> expected = SplitLines(SettingsFileText(RunSettings{}));
    std::copy(head.begin(), head.end(), expected.begin());
    EXPECT_EQ(SplitLines(SettingsFileText(load.settings)), expected) << r.lines;
  }
  // Lines after the 93rd are not settings and are ignored.
  const SettingsLoad longer =
      SettingsFromText(SettingsFileText(Unusual()) + "extra\r\n", RunSettings{}, "x.opt");
  EXPECT_EQ(longer.status, SettingsLoadStatus::Complete);
  EXPECT_EQ(longer.settings, Unusual());
}

TEST(settings_file, unreadable_or_unstorable_changes_nothing_and_says_why) {
  ScratchFolder dir;
  const RunSettings current = Unusual();
  const SettingsLoad missing = LoadSettingsFile(dir / "none.opt", current);
  EXPECT_EQ(missing.status, SettingsLoadStatus::NotRead);
  EXPECT_EQ(missing.settings, current);
  EXPECT_EQ(missing.message,
            "Could not read \"" + (dir / "none.opt").string() + "\": No such file or directory");

  // A text holding a line break would shift every later line: refused, old file kept.
  const auto path = dir / "kept.opt";
  WriteBytes(path, "old");
  RunSettings broken;
  broken.txtTZ = "5\r\n1 - injected";
  const FileStatus saved = SaveSettingsFile(path, broken);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.message, "Could not save \"" + path.string() +
                               "\": txtTZ holds a line break, which a settings file cannot store.");
  EXPECT_EQ(ReadBytes(path), "old");
}

}  // namespace
}  // namespace tarnwick
