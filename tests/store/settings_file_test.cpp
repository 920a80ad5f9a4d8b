#include "store/settings_file.h"

#include <gtest/gtest.h>

#include <tuple>

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
  s.txtEndTime = "23:59 \u00e9";  // stored as UTF-8
  for (const RoleField& role : kRoleFields) {
    for (bool& box : s.*role.selection) box = !box;
  }
  for (size_t k = 0; k < kStoredCheckFields; ++k) s.*kCheckFields[k].member ^= true;
  return s;
}

std::vector<std::string> Lines(const RunSettings& s) { return SplitLines(SettingsFileText(s)); }

TEST(settings_file, initial_settings_give_93_crlf_lines_in_file_order) {
  const std::string text = SettingsFileText(RunSettings{});
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 93u);
  EXPECT_EQ(JoinLinesCrLf(lines), text);  // every line, the last one too, ends in CR LF
  const std::vector<std::string> texts = {"12/01/2007", "12/31/2007", "5",    "3.0",
                                          "15.0",       "10:00",      "10:59"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), texts);
  for (size_t n = 7; n < 85; ++n) {  // Jupiter to Pluto, Chiron and Sedna checked
    const int body = static_cast<int>((n - 7) % BodyCount);
    const bool on = (body >= 5 && body <= 9) || body == 15 || body == 21;
    EXPECT_EQ(lines[n], (on ? "1 - " : "0 - ") + std::string(BodyCatalogue[BodySlot(body)].caption))
        << "line " << n + 1;
  }
  EXPECT_EQ(lines[7], "0 - Sun     ");
  EXPECT_EQ(lines[85], "1 - Do 3-planet aspects (triple aspects)?");
  EXPECT_EQ(lines[92], "0 - Only show aspects within given time period above?");
}

// Lines ended by CR alone, read like CR LF.
TEST(settings_file, check_line_is_set_only_by_a_leading_1) {
  const std::pair<const char*, bool> rows[] = {
      {"1 - Do 3-planet aspects (triple aspects)?", true}, {"1", true},
      {" 1", false}, {"", false}, {"0 - x", false}, {"-1", false}};
  for (const auto& [line, checked] : rows) {
    std::vector<std::string> lines = Lines(RunSettings{});
    lines[7] = lines[85] = line;  // chkP1Planets: the Sun; chkUseP3
    RunSettings current;
    current.chkP1Planets[0] = current.chkUseP3 = !checked;
    std::string text;
    for (const std::string& l : lines) text += l + "\r";
    const SettingsLoad load = SettingsFromText(text, current, "x.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Complete);
    EXPECT_EQ(load.settings.chkP1Planets[0], checked) << '"' << line << '"';
    EXPECT_EQ(load.settings.chkUseP3, checked) << '"' << line << '"';
  }
}

// A chosen set of aspects takes a 94th line and comes back; without one the file keeps its 93
// lines, and a complete file without the line sets no set, whatever the window had.
TEST(settings_file, aspect_set_line_only_when_a_set_is_chosen) {
  struct Row {
    const char* set;
    size_t lines;
    const char* back;
  };
  const Row rows[] = {
      {"", 93, ""},
      {"all", 93, ""},
      {"major", 94, "major"},
      {"0,90,180", 94, "0,90,180"},
      {"7", 94, "7"},  // no set: kept as typed, so that the run can say what is wrong with it
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.set);
    RunSettings s = Unusual();
    s.txtAspectSet = r.set;
    const std::vector<std::string> lines = Lines(s);
    ASSERT_EQ(lines.size(), r.lines);
    if (r.lines == 94) {
      EXPECT_EQ(lines[93], std::string("Aspects: ") + r.set);
    }
    RunSettings current;
    current.txtAspectSet = "hard";
    const SettingsLoad load = SettingsFromText(SettingsFileText(s), current, "x.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Complete);
    EXPECT_EQ(load.message, "");
    RunSettings expected = s;
    expected.txtAspectSet = r.back;
    expected.opt1_ghd = current.opt1_ghd;  // not stored: kept
    expected.opt2_ghd = current.opt2_ghd;
    expected.opt3_ghd = current.opt3_ghd;
    expected.chkDisplayP1_P2P3_mp_aspects = current.chkDisplayP1_P2P3_mp_aspects;
    EXPECT_EQ(load.settings, expected);
  }
  // "Aspects: all" is no set, written as no line; a line after the set's is no setting.
  const std::string base = SettingsFileText(RunSettings{});
  EXPECT_EQ(SettingsFromText(base + "Aspects: ALL\r\n", Unusual(), "x.opt").settings.txtAspectSet, "");
  const SettingsLoad load = SettingsFromText(base + "Aspects: hard\r\nnote\r\n", RunSettings{}, "x.opt");
  EXPECT_EQ(load.settings.txtAspectSet, "hard");
  EXPECT_NE(load.message.find("has 1 line after"), std::string::npos) << load.message;
}

// Chart angles take a line of their own after the 93 (after the set's and the zone name's),
// only when one is checked, and come back; a complete file without it checks none.
TEST(settings_file, natal_angles_line_only_when_an_angle_is_checked) {
  struct Row {
    const char* name;
    std::array<bool, 2> p2, p3;
    const char* aspects;
    const char* zone;
    std::vector<std::string> tail;  // the lines after the 93
  };
  const Row rows[] = {
      {"none", {false, false}, {false, false}, "", "5", {}},
      {"P2 Ascendant", {true, false}, {false, false}, "", "5", {"Natal angles: P2 Asc"}},
      {"both roles, after a set and a zone name", {true, true}, {false, true}, "hard", "Europe/Berlin",
       {"Aspects: hard", "Time Zone name: Europe/Berlin", "Natal angles: P2 Asc MC; P3 MC"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RunSettings s = Unusual();
    s.chkP2Angles = r.p2;
    s.chkP3Angles = r.p3;
    s.txtAspectSet = r.aspects;
    s.txtTZ = r.zone;
    const std::vector<std::string> lines = Lines(s);
    ASSERT_EQ(lines.size(), 93u + r.tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 93, lines.end()), r.tail);
    RunSettings current;
    current.chkP2Angles = current.chkP3Angles = {true, true};
    const SettingsLoad load = SettingsFromText(SettingsFileText(s), current, "x.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Complete);
    EXPECT_EQ(load.message, "");
    EXPECT_EQ(load.settings.chkP2Angles, r.p2);
    EXPECT_EQ(load.settings.chkP3Angles, r.p3);
  }
  // A line that names no role's angles is no setting: said, and nothing checked.
  const SettingsLoad load =
      SettingsFromText(SettingsFileText(RunSettings{}) + "Natal angles: P1 Asc\r\n", RunSettings{}, "x.opt");
  EXPECT_EQ(load.settings.chkP2Angles, (std::array<bool, 2>{false, false}));
  EXPECT_NE(load.message.find("has 1 line after"), std::string::npos) << load.message;
}

TEST(settings_file, short_file_sets_the_fields_it_has_and_says_how_long_it_was) {
  const std::vector<std::string> full = Lines(Unusual());
  const std::string kept = "the fields of its lines were loaded and the others kept their values.";
  const std::pair<size_t, std::string> rows[] = {
      {0, "has 0 lines instead of 93; nothing was loaded."},
      {1, "has 1 line instead of 93; " + kept},
      {92, "has 92 lines instead of 93; " + kept},
  };
  for (const auto& [count, tail] : rows) {
    const std::vector<std::string> head(full.begin(), full.begin() + static_cast<long>(count));
    const SettingsLoad load = SettingsFromText(JoinLinesCrLf(head), RunSettings{}, "/p/s.opt");
    EXPECT_EQ(load.status, SettingsLoadStatus::Short);
    EXPECT_EQ(load.lines_read, static_cast<int>(count));
    EXPECT_EQ(load.message, "Settings file \"/p/s.opt\" " + tail);
    std::vector<std::string> expected = Lines(RunSettings{});
    std::copy(head.begin(), head.end(), expected.begin());
    EXPECT_EQ(Lines(load.settings), expected) << count;
  }
}

// Files that are not quite settings files: decoded when the text is there, refused whole
// (nothing changed, the file named) when it is not.
TEST(settings_file, odd_files_are_decoded_or_refused_whole) {
  const std::string text = SettingsFileText(Unusual());
  std::string utf16 = "\xFF\xFE";
  for (const char c : text) utf16 += std::string{c, '\0'};  // ASCII apart from one line
  const size_t e_acute = utf16.find("\xC3\0\xA9\0");
  utf16.replace(e_acute, 4, std::string("\xE9\0", 2));
  std::string cp1252 = text;
  cp1252.replace(cp1252.find("\xC3\xA9"), 2, "\xE9");
  const std::string not_loaded = "Settings file \"x.opt\" was not loaded: ";
  using enum SettingsLoadStatus;
  // what, bytes, status and message of the load. (Every way a text fails to decode:
  // text_encoding_test; here that one such failure leaves the settings alone.)
  const std::tuple<const char*, std::string, SettingsLoadStatus, std::string> rows[] = {
      {"utf-8 byte order mark", "\xEF\xBB\xBF" + text, Complete, ""},
      {"utf-16 from a Windows editor", utf16, Complete, ""},
      {"8-bit code page", cp1252, Complete, ""},
      {"trailing blank lines", text + "\r\n\r\n", Complete, ""},
      {"a longer file", text + "x\r\ny\r\n", Complete,
       "Settings file \"x.opt\" has 2 lines after its 93 lines of settings; they were "
       "ignored. Is it really a settings file?"},
      {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + text, NotRead,
       not_loaded + "it holds NUL bytes, which no text file has."},
      {"a 15 MiB line", std::string(15u << 20, '7') + "\r\n" + text, NotRead,
       not_loaded + "line 1 is 15728640 bytes long, and no setting is longer than 32767."},
  };
  for (const auto& [name, bytes, status, message] : rows) {
    const SettingsLoad load = SettingsFromText(bytes, RunSettings{}, "x.opt");
    EXPECT_EQ(load.status, status) << name;
    EXPECT_EQ(load.message, message) << name;
    EXPECT_EQ(load.settings, status == NotRead ? RunSettings{} : Unusual()) << name;
  }
}

TEST(settings_file, unreadable_or_unstorable_changes_nothing_and_says_why) {
  ScratchFolder dir;
  WriteBytes(dir / "huge.opt", std::string(kMaxReadBytes + 1, '1'));
  // A missing file is told too, unlike the start-up file's. (Every reason a read is
  // refused: atomic_file_test.)
  const std::pair<const char*, std::string> rows[] = {
      {"none.opt", "No such file or directory"},
      {"huge.opt", "the file is larger than 16 MiB, too large to be one of this program's files"},
  };
  for (const auto& [name, reason] : rows) {
    const SettingsLoad load = LoadSettingsFile(dir / name, Unusual());
    EXPECT_EQ(load.status, SettingsLoadStatus::NotRead);
    EXPECT_EQ(load.settings, Unusual());
    EXPECT_EQ(load.message, CouldNotRead(dir / name, reason));
  }

  // A text holding a line break would shift every later line: refused, old file kept.
  WriteBytes(dir / "kept.opt", "old");
  RunSettings broken;
  broken.txtTZ = "5\r\n1 - injected";
  EXPECT_EQ(SaveSettingsFile(dir / "kept.opt", broken).message,
            CouldNotSave(dir / "kept.opt",
                         "txtTZ holds a line break, which a settings file cannot store."));
  EXPECT_EQ(ReadBytes(dir / "kept.opt"), "old");
}

}  // namespace
}  // namespace tarnwick
