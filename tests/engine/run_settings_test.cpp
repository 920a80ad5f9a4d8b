#include "engine/run_settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick {
namespace {

// The number rules themselves (leading number, whole-text decimal) are tested with
// number_text, and fuzz_run_texts holds orbs and time zones to them; here only what a time
// of day adds: a colon (or the regional decimal sign) reads like the point, and the text is
// a time of day or nothing, since a number such as 1130 would silently hide the whole day.
TEST(run_settings, daily_time_texts) {
  struct Row { const char* text; char point; std::optional<double> value; };
  const Row times[] = {
      {"10:59", '.', 10.59}, {"10.23", '.', 10.23},        {"0.05", '.', 0.05},
      {" 9:05 ", '.', 9.05}, {"10", '.', 10.0},            {"10.5", '.', 10.5},
      {"24:00", '.', 24.0},  {"10,30", ',', 10.30},        {"1:2:3", '.', std::nullopt},
      {"-1", '.', std::nullopt},     {"1130", '.', std::nullopt},   {"2599", '.', std::nullopt},
      {"25.00", '.', std::nullopt},  {"10:60", '.', std::nullopt},  {"10.7", '.', std::nullopt},
      {"24.30", '.', std::nullopt},  {"10.305", '.', std::nullopt}, {"10,30", '.', std::nullopt},
      {":30", '.', std::nullopt},    {"", '.', std::nullopt},
  };
  for (const Row& r : times) {
    EXPECT_EQ(DailyTimeValue(r.text, r.point), r.value) << '"' << r.text << "\" with " << r.point;
  }
}

}  // namespace
}  // namespace tarnwick
