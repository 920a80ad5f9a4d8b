// The runner's event options: how they read, what they refuse, and a calendar as a user asks
// for it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "app/cli_options.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

TEST(cli_events, options_read_into_the_choice_or_say_what_is_wrong) {
  const CliParse p = ParseCommandLine({"--events", "stations, voc", "--voc-bodies", "Sun,Venus-Mars",
                                       "--voc-aspects", "0,90,180"});
  ASSERT_EQ(p.status, CliParse::Status::Run) << p.text;
  EXPECT_TRUE(p.options.events.Has(EventKind::Station));
  EXPECT_TRUE(p.options.events.Has(EventKind::VoidOfCourse));
  EXPECT_FALSE(p.options.events.Has(EventKind::Ingress));
  EXPECT_FALSE(p.options.events.only);
  BodySelection voc{};
  voc[0] = voc[3] = voc[4] = true;
  EXPECT_EQ(p.options.events.voc_bodies, voc);
  EXPECT_EQ(p.options.events.voc_aspects, (std::vector<int>{0, 90, 180}));
  EXPECT_FALSE(ParseCommandLine({}).options.events.any());  // none unless asked

  struct Row { std::vector<std::string> args; const char* says; };
  const Row rows[] = {
      {{"--events", "stations,retrogrades"}, "--events: \"retrogrades\" is no kind of event"},
      {{"--events-only"}, "--events-only: name the events to list with --events"},
      {{"--events", "none", "--events-only"}, "--events-only"},
      {{"--voc-bodies", "Sun,Vulcan"}, "--voc-bodies: \"Vulcan\" names no body"},
      {{"--voc-aspects", "0,200"}, "--voc-aspects: \"200\" is no angle"},
  };
  for (const Row& r : rows) {
    const CliParse bad = ParseCommandLine(r.args);
    EXPECT_EQ(bad.status, CliParse::Status::UsageError) << r.args[0];
    EXPECT_NE(bad.text.find(r.says), std::string::npos) << bad.text;
  }
}

std::string RunRunner(const std::string& args, int& status) {
  FILE* p = popen((TARNWICK_CLI " " + args + " 2>/dev/null").c_str(), "r");
  std::string out;
  std::array<char, 4096> buf;
  for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) out.append(buf.data(), n);
  const int raw = pclose(p);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

TEST(cli_events, a_calendar_of_eclipses_with_its_csv) {
  ScratchFolder folder;
  const std::string csv = (folder / "april.csv").string();
  int status = -1;
  const std::string out = RunRunner("--start 04/01/2024 --end 04/30/2024 --tz 0 --events lunations,eclipses "
                              "--events-only --data-dir " + folder.path().string() + " --csv " + csv, status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("g. Sun      eclipse     04/08/2024 18:17  19.4 (01)  total solar eclipse, greatest\r\n"),
            std::string::npos) << out;
  EXPECT_NE(out.find("new moon, total solar eclipse greatest 18:17"), std::string::npos) << out;
  EXPECT_EQ(ReadBytes(folder / "04012024_04302024_0_events_g.txt"), out);
  const std::string records = ReadBytes(csv);
  EXPECT_NE(records.find("\r\nevent: eclipse,Sun,geocentric,,,,,2024-04-08T18:17+00:00,"), std::string::npos) << records;
}

}  // namespace
}  // namespace tarnwick
