// A zone name in the two files that hold the time zone: the files keep a fixed offset where
// readers of fixed offsets look, and give the name back to this program.
#include <gtest/gtest.h>

#include "store/settings_file.h"
#include "store/startup_file.h"

namespace tarnwick {
namespace {

// The standard offsets (hours west) are those of the zones' laws, not of the database.
TEST(zone_storage, settings_file_keeps_an_offset_on_line_3_and_the_name_after_line_93) {
  struct Row { const char* tz; size_t lines; const char* line3; };
  const Row rows[] = {
      {"5", 93, "5"},
      {"-5,5", 93, "-5,5"},  // a number stays exactly as typed
      {"Europe/Berlin", 94, "-1"},
      {"America/New_York", 94, "5"},
      {"Asia/Kolkata", 94, "-5.5"},
      {"Europe/Atlantis", 93, "Europe/Atlantis"},  // no zone: kept as typed, the run refuses it
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.tz);
    RunSettings s;
    s.txtTZ = r.tz;
    const std::string text = SettingsFileText(s);
    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), r.lines);
    EXPECT_EQ(lines[2], r.line3);
    if (r.lines == 94) {
      EXPECT_EQ(lines[93], std::string("Time Zone name: ") + r.tz);
    }

    RunSettings other;
    other.txtTZ = "0";
    const SettingsLoad back = SettingsFromText(text, other, "x.opt");
    EXPECT_EQ(back.status, SettingsLoadStatus::Complete);
    EXPECT_EQ(back.message, "");
    EXPECT_EQ(back.settings, s);
  }
}

// With a chosen set of aspects too, both lines follow the 93 and both read back.
TEST(zone_storage, zone_line_follows_the_aspect_set_line) {
  RunSettings s;
  s.txtTZ = "Asia/Kolkata";
  s.txtAspectSet = "major";
  const std::string text = SettingsFileText(s);
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 95u);
  EXPECT_EQ(lines[93], "Aspects: major");
  EXPECT_EQ(lines[94], "Time Zone name: Asia/Kolkata");
  const SettingsLoad back = SettingsFromText(text, RunSettings{}, "x.opt");
  EXPECT_EQ(back.message, "");
  EXPECT_EQ(back.settings, s);
}

// A 94th line naming no zone of the database is an extra line as before: the offset of line
// 3 stays, and the message says a line was ignored.
TEST(zone_storage, settings_file_with_a_bad_name_line_keeps_the_offset) {
  RunSettings s;
  s.txtTZ = "Europe/Berlin";
  std::string text = SettingsFileText(s);
  text.replace(text.find("Europe/Berlin"), 13, "Europe/Nowhere");
  const SettingsLoad back = SettingsFromText(text, RunSettings{}, "x.opt");
  EXPECT_EQ(back.settings.txtTZ, "-1");
  EXPECT_NE(back.message.find("1 line after its 93 lines"), std::string::npos) << back.message;
}

TEST(zone_storage, startup_file_keeps_an_offset_and_adds_zone_name) {
  StartupValues v;
  v.txtStartDate = "03/01/2024";
  v.txtEndDate = "03/31/2024";
  v.txtTZ = "Europe/Berlin";
  const std::string text = StartupFileText(v);
  EXPECT_NE(text.find("\r\ntime_zone=-1\r\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\r\nzone_name=Europe/Berlin\r\n")) << text;
  EXPECT_EQ(StartupValuesFromText(text, StartupValues{}), v);

  // Without a name the file is the seven lines it always was.
  v.txtTZ = "-1";
  EXPECT_EQ(SplitLines(StartupFileText(v)).size(), 7u);
  // A name the database does not know leaves the offset.
  EXPECT_EQ(StartupValuesFromText("time_zone=3\r\nzone_name=Mars/Olympus\r\n", StartupValues{}).txtTZ, "3");
  // "zone_name" must be the whole key.
  EXPECT_EQ(StartupValuesFromText("time_zone=3\r\nzone_names=Europe/Berlin\r\n", StartupValues{}).txtTZ, "3");
}

}  // namespace
}  // namespace tarnwick
