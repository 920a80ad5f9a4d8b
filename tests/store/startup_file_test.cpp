#include "store/startup_file.h"

#include <gtest/gtest.h>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

TEST(startup_file, defaults_span_todays_month_in_the_regional_order) {
  struct Row {
    CalendarDate today;
    RegionalFormat format;
    const char* start;
    const char* end;
  };
  const Row rows[] = {
      {{2, 15, 2024}, kUs, "02/01/2024", "02/29/2024"},
      {{2, 1, 2023}, kUs, "02/01/2023", "02/28/2023"},
      {{12, 31, 2007}, {DateOrder::DayMonthYear, ".", ','}, "01.12.2007", "31.12.2007"},
      {{4, 30, 2024}, {DateOrder::YearMonthDay, "-", '.'}, "2024-04-01", "2024-04-30"},
  };
  for (const Row& r : rows) {
    const StartupValues v = DefaultStartupValues(r.today, r.format);
    EXPECT_EQ(v.txtStartDate, r.start);
    EXPECT_EQ(v.txtEndDate, r.end);
    EXPECT_EQ(v.txtStartTime, "10:00");
    EXPECT_EQ(v.txtEndTime, "10:59");
    EXPECT_EQ(v.txtTZ, "5");
    EXPECT_EQ(v.settings_file_path, "");
  }
}

TEST(startup_file, reading_rules) {
  const StartupValues defaults = DefaultStartupValues({2, 10, 2024}, kUs);
  struct Row {
    const char* name;
    std::string text;
    StartupValues expected;
  };
  const auto with = [&](std::string StartupValues::*member, std::string value) {
    StartupValues v = defaults;
    v.*member = std::move(value);
    return v;
  };
  StartupValues full{"03/01/2010", "03/31/2010", "09:00", "09:59", "-1", "/home/u/a b.opt"};
  StartupValues later = defaults;
  later.txtTZ = "4";
  later.txtStartTime = "09:00";
  const Row rows[] = {
      {"only the end date", "end_date=12/24/2009", with(&StartupValues::txtEndDate, "12/24/2009")},
      {"empty value keeps the default", "start_date=\r\ntime_zone=", defaults},
      {"key compared over its length", "start_dates=1/1/2000",
       with(&StartupValues::txtStartDate, "1/1/2000")},
      {"value keeps later equals signs", "OutputNameFileOPTFile=/x/a=b.opt",
       with(&StartupValues::settings_file_path, "/x/a=b.opt")},
      {"keys are case-sensitive", "Start_date=1/1/2000\r\nTIME_ZONE=3", defaults},
      {"a key must start the line", " start_date=1/1/2000\r\n[x]time_zone=3", defaults},
      {"no equals sign: the whole line is the value", "end_time",
       with(&StartupValues::txtEndTime, "end_time")},
      {"any order, no header, later lines win, LF and CR ends",
       "time_zone=3\nstart_time=09:00\rtime_zone=4", later},
      {"the written file", StartupFileText(full), full},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(StartupValuesFromText(r.text, defaults), r.expected) << r.name;
  }
}

TEST(startup_file, writes_seven_crlf_lines_and_reads_them_back) {
  ScratchFolder dir;
  const auto path = dir / "Quillmere.ini";
  const StartupValues v{"12/01/2007", "12/31/2007", "10:00", "10:59", "5", "/home/u/x.opt"};
  ASSERT_TRUE(WriteStartupFile(path, v));
  EXPECT_EQ(ReadBytes(path),
            "[Quillmere] - Do NOT change the order of these variables.\r\n"
            "start_date=12/01/2007\r\n"
            "end_date=12/31/2007\r\n"
            "start_time=10:00\r\n"
            "end_time=10:59\r\n"
            "time_zone=5\r\n"
            "OutputNameFileOPTFile=/home/u/x.opt\r\n");
  const StartupLoad load = ReadStartupFile(path, {6, 1, 2030}, kUs);
  EXPECT_EQ(load.values, v);
  EXPECT_EQ(load.message, "");
}

TEST(startup_file, unreadable_file_keeps_the_defaults) {
  ScratchFolder dir;
  const StartupValues defaults = DefaultStartupValues({2, 10, 2024}, kUs);

  const StartupLoad missing = ReadStartupFile(dir / "Quillmere.ini", {2, 10, 2024}, kUs);
  EXPECT_EQ(missing.values, defaults);
  EXPECT_EQ(missing.message, "");  // a first start has no file: nothing to tell

  std::filesystem::create_directory(dir / "folder.ini");
  const StartupLoad folder = ReadStartupFile(dir / "folder.ini", {2, 10, 2024}, kUs);
  EXPECT_EQ(folder.values, defaults);
  EXPECT_EQ(folder.message, "Could not read \"" + (dir / "folder.ini").string() +
                                "\": it is a folder, not a file");
}

TEST(startup_file, value_with_line_break_is_refused_and_old_file_kept) {
  ScratchFolder dir;
  const auto path = dir / "Quillmere.ini";
  WriteBytes(path, "old");
  StartupValues v;
  v.settings_file_path = "/home/u/odd\nname.opt";
  const FileStatus s = WriteStartupFile(path, v);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.message, "Could not save \"" + path.string() +
                           "\": the value of OutputNameFileOPTFile holds a line break, which "
                           "the start-up file cannot store.");
  EXPECT_EQ(ReadBytes(path), "old");
}

}  // namespace
}  // namespace tarnwick
