// The settings file line by line, with the time zone name it keeps beside the offset, and the
// decoding of the texts read from files.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "store/settings_file.h"
#include "store/text_encoding.h"
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
  for (const RoleField& role : kRoleFields) for (bool& box : s.*role.selection) box = !box;
  for (size_t k = 0; k < kStoredCheckFields; ++k) s.*kCheckFields[k].member ^= true;
  return s;
}

std::vector<std::string> Lines(const RunSettings& s) { return SplitLines(SettingsFileText(s)); }

TEST(settings_file, initial_settings_give_93_crlf_lines_in_file_order_and_checks_read_by_a_leading_1) {
  const std::string text = SettingsFileText(RunSettings{});
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 93u);
  EXPECT_EQ(JoinLinesCrLf(lines), text);  // every line, the last one too, ends in CR LF
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
            (std::vector<std::string>{"12/01/2007", "12/31/2007", "5", "3.0", "15.0", "10:00", "10:59"}));
  for (size_t n = 7; n < 85; ++n) {  // Jupiter to Pluto, Chiron and Sedna checked
    const int body = static_cast<int>((n - 7) % BodyCount);
    const bool on = (body >= 5 && body <= 9) || body == 15 || body == 21;
    EXPECT_EQ(lines[n], (on ? "1 - " : "0 - ") + std::string(BodyCatalogue[BodySlot(body)].caption))
        << "line " << n + 1;
  }
  EXPECT_EQ(lines[7], "0 - Sun     ");
  EXPECT_EQ(lines[85], "1 - Do 3-planet aspects (triple aspects)?");
  EXPECT_EQ(lines[92], "0 - Only show aspects within given time period above?");
  // A check line is set only by a leading 1; lines ended by CR alone read like CR LF.
  const std::pair<const char*, bool> rows[] = {
      {"1 - Do 3-planet aspects (triple aspects)?", true}, {"1", true},
      {" 1", false}, {"", false}, {"0 - x", false}, {"-1", false}};
  for (const auto& [line, checked] : rows) {
    std::vector<std::string> changed = Lines(RunSettings{});
    changed[7] = changed[85] = line;  // chkP1Planets: the Sun; chkUseP3
    RunSettings current;
    current.chkP1Planets[0] = current.chkUseP3 = !checked;
    std::string cr_text;
    for (const std::string& l : changed) cr_text += l + "\r";
    const SettingsLoad load = SettingsFromText(cr_text, current, "x.opt");
    EXPECT_EQ(std::tuple(load.status, load.settings.chkP1Planets[0], load.settings.chkUseP3),
              std::tuple(SettingsLoadStatus::Complete, checked, checked)) << '"' << line << '"';
  }
}

// What follows the 93 lines, each only when chosen and in this order: a set of aspects, the
// zone name (line 3 keeping the zone's standard offset, where readers of fixed offsets look;
// the offsets are those of the zones' laws, not of the database) and the checked chart
// angles. Each comes back; a complete file without its line sets none, whatever the window had.
TEST(settings_file, lines_after_the_93_only_for_what_is_chosen) {
  struct Row { const char* name; std::function<void(RunSettings&)> change; std::vector<std::string> tail; const char* line3; };
  const auto set = [](const char* aspects) { return [aspects](RunSettings& s) { s.txtAspectSet = aspects; }; };
  const auto zone = [](const char* tz) { return [tz](RunSettings& s) { s.txtTZ = tz; }; };
  const Row rows[] = {
      {"no set", set(""), {}, "-3.5"}, {"all", set("all"), {}, "-3.5"},
      {"major", set("major"), {"Aspects: major"}, "-3.5"},
      // No set: kept as typed, so that the run can say what is wrong with it.
      {"7", set("7"), {"Aspects: 7"}, "-3.5"}, {"a number stays exactly as typed", zone("-5,5"), {}, "-5,5"},
      {"Berlin", zone("Europe/Berlin"), {"Time Zone name: Europe/Berlin"}, "-1"},
      {"Kolkata", zone("Asia/Kolkata"), {"Time Zone name: Asia/Kolkata"}, "-5.5"},
      // No zone: kept as typed, the run refuses it.
      {"Atlantis", zone("Europe/Atlantis"), {}, "Europe/Atlantis"},
      {"P2 Ascendant", [](RunSettings& s) { s.chkP2Angles = {true, false}; }, {"Natal angles: P2 Asc"}, "-3.5"},
      {"both roles, after a set and a zone name", [](RunSettings& s) {
         s.chkP2Angles = {true, true};
         s.chkP3Angles = {false, true};
         s.txtAspectSet = "hard";
         s.txtTZ = "Asia/Kolkata";
       },
       {"Aspects: hard", "Time Zone name: Asia/Kolkata", "Natal angles: P2 Asc MC; P3 MC"}, "-5.5"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RunSettings s = Unusual();
    r.change(s);
    const std::vector<std::string> lines = Lines(s);
    ASSERT_EQ(lines.size(), 93u + r.tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 93, lines.end()), r.tail);
    EXPECT_EQ(lines[2], r.line3);
    RunSettings current;
    current.txtAspectSet = "hard";
    current.txtTZ = "0";
    current.chkP2Angles = current.chkP3Angles = {true, true};
    const SettingsLoad load = SettingsFromText(SettingsFileText(s), current, "x.opt");
    EXPECT_EQ(std::pair(load.status, load.message), std::pair(SettingsLoadStatus::Complete, std::string()));
    RunSettings expected = s;  // the centres, not stored, are the initial ones in both
    if (expected.txtAspectSet == "all") expected.txtAspectSet = "";
    EXPECT_EQ(load.settings, expected);
  }
  // "Aspects: all" is no set, written as no line; a line after the set's is no setting, nor
  // one that names no role's angles, nor a zone name the database does not know (line 3's
  // offset stays): said, and nothing set from it.
  const std::string base = SettingsFileText(RunSettings{});
  EXPECT_EQ(SettingsFromText(base + "Aspects: ALL\r\n", Unusual(), "x.opt").settings.txtAspectSet, "");
  for (const std::string extra : {"Aspects: hard\r\nnote", "Natal angles: P1 Asc", "Time Zone name: Europe/Nowhere"}) {
    const SettingsLoad load = SettingsFromText(base + extra + "\r\n", RunSettings{}, "x.opt");
    EXPECT_NE(load.message.find("has 1 line after"), std::string::npos) << load.message;
    EXPECT_EQ(std::tuple(load.settings.txtAspectSet, load.settings.chkP2Angles, load.settings.txtTZ),
              std::tuple(extra.starts_with("Aspects") ? "hard" : "", std::array<bool, 2>{false, false}, "5"));
  }
}

TEST(settings_file, short_file_sets_the_fields_it_has_and_says_how_long_it_was) {
  const std::vector<std::string> full = Lines(Unusual());
  const std::string kept = "the fields of its lines were loaded and the others kept their values.";
  const std::pair<size_t, std::string> rows[] = {
      {0, "has 0 lines instead of 93; nothing was loaded."}, {1, "has 1 line instead of 93; " + kept},
      {92, "has 92 lines instead of 93; " + kept},
  };
  for (const auto& [count, tail] : rows) {
    const std::vector<std::string> head(full.begin(), full.begin() + static_cast<long>(count));
    const SettingsLoad load = SettingsFromText(JoinLinesCrLf(head), RunSettings{}, "/p/s.opt");
    EXPECT_EQ(std::tuple(load.status, load.lines_read, load.message),
              std::tuple(SettingsLoadStatus::Short, static_cast<int>(count), "Settings file \"/p/s.opt\" " + tail));
    std::vector<std::string> expected = Lines(RunSettings{});
    std::copy(head.begin(), head.end(), expected.begin());
    EXPECT_EQ(Lines(load.settings), expected) << count;
  }
}

// Files that are not quite settings files: decoded when the text is there, refused whole
// (nothing changed, the file named) when it is not.
TEST(settings_file, odd_files_are_decoded_or_refused_whole) {
  const std::string text = SettingsFileText(Unusual());
  const std::string not_loaded = "Settings file \"x.opt\" was not loaded: ";
  using enum SettingsLoadStatus;
  // what, bytes, status and message of the load. (Every way a text is decoded or fails to
  // be: the text_encoding tests below; here that one such failure leaves the settings alone.)
  const std::tuple<const char*, std::string, SettingsLoadStatus, std::string> rows[] = {
      {"utf-8 byte order mark", "\xEF\xBB\xBF" + text, Complete, ""},
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
    EXPECT_EQ(std::tie(load.status, load.message), std::tie(status, message)) << name;
    EXPECT_EQ(load.settings, status == NotRead ? RunSettings{} : Unusual()) << name;
  }
}

TEST(settings_file, unreadable_or_unstorable_changes_nothing_and_says_why) {
  ScratchFolder dir;
  // A missing file is told too, unlike the start-up file's. (Every reason a read is
  // refused: atomic_file_test.)
  const SettingsLoad load = LoadSettingsFile(dir / "none.opt", Unusual());
  EXPECT_EQ(std::pair(load.status, load.message),
            std::pair(SettingsLoadStatus::NotRead, CouldNotRead(dir / "none.opt", "No such file or directory")));
  EXPECT_EQ(load.settings, Unusual());

  // A text holding a line break would shift every later line: refused, old file kept.
  WriteBytes(dir / "kept.opt", "old");
  RunSettings broken;
  broken.txtTZ = "5\r\n1 - injected";
  EXPECT_EQ(SaveSettingsFile(dir / "kept.opt", broken).message,
            CouldNotSave(dir / "kept.opt", "txtTZ holds a line break, which a settings file cannot store."));
  EXPECT_EQ(ReadBytes(dir / "kept.opt"), "old");
}

TEST(text_encoding, files_become_utf8_or_are_refused) {
  // what, bytes, text when decoded, problem when refused. (UTF-16 little-endian and NUL
  // bytes: the start-up and settings files' tests, which decode or refuse them whole.)
  const std::tuple<const char*, std::string, std::string, std::string> rows[] = {
      {"empty", "", "", ""}, {"utf-8 kept", "Z\u00fcrich\r\n", "Z\u00fcrich\r\n", ""},
      {"byte order marks dropped", "\xEF\xBB\xBF\xEF\xBB\xBF" "12/01", "12/01", ""},
      {"a mark inside a line stays", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF", ""},
      {"windows-1252", "23:59 \xE9 \x80 \x81", "23:59 \u00e9 \u20ac \u0081", ""},
      {"each line decided alone", "\u00e9\r\n\xE9\n", "\u00e9\r\n\u00e9\n", ""},
      {"overlong utf-8 is no utf-8", "\xC0\xAF", "\u00c0\u00af", ""},
      {"utf-8 surrogate is no utf-8", "\xED\xA0\x80", "\u00ed\u00a0\u20ac", ""},
      {"utf-16 big-endian pair", std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6), "\U0001F600", ""},
      {"utf-16 mark then utf-8 mark", std::string("\xFF\xFE\xFF\xFE" "a\0", 6), "a", ""},
      {"utf-16 odd length", "\xFF\xFE" "a", "", "it is marked as UTF-16 text but has an odd number of bytes"},
      {"utf-16 lone surrogate", std::string("\xFF\xFE" "a\0\x00\xD8", 6), "",
       "it is marked as UTF-16 text but holds a broken character at byte 4"},
      {"utf-16 NUL", std::string("\xFF\xFE\0\0", 4), "", "it holds NUL characters, which no text file has"},
  };
  for (const auto& [name, bytes, text, problem] : rows) {
    const DecodedText d = DecodeTextFile(bytes);
    EXPECT_EQ(std::tie(d.ok, d.text, d.problem), std::tuple(problem.empty(), text, problem)) << name;
  }
}

TEST(text_encoding, first_line_longer_than_a_limit) {
  using Found = std::optional<std::pair<size_t, size_t>>;  // line number, bytes
  const std::pair<const char*, Found> rows[] = {
      {"abc\r\nabc", std::nullopt},  // at the limit, not over it
      {"abcd", {{1, 4}}}, {"abc\r\nabcd\r\nabcde", {{2, 4}}},
      {"a\r\r\nb\n\nabcd", {{5, 4}}},  // CR alone and LF alone end lines too
  };
  for (const auto& [text, expected] : rows) {
    const auto found = FirstLineLongerThan(text, 3);
    EXPECT_EQ(found ? Found({found->number, found->bytes}) : std::nullopt, expected) << text;
  }
}

}  // namespace
}  // namespace tarnwick
