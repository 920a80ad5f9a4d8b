#include "engine/run_settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick {
namespace {

TEST(run_settings, initial_bodies_are_jupiter_to_pluto_chiron_and_sedna) {
  const RunSettings s;
  for (const auto& role : kRoleFields) {
    const BodySelection& sel = s.*role.selection;
    for (int i = 0; i <= LastBodyIndex; ++i) {
      const bool expected = (i >= 5 && i <= 9) || i == 15 || i == idxSedna;
      EXPECT_EQ(sel[i], expected) << role.selection_name << " " << i;
    }
  }
}

// The number rules themselves (leading number, whole-text decimal) are tested with
// number_text, and fuzz_run_texts holds orbs and time zones to them; here only what a time
// of day adds: its first colon reads like the point, and it is never negative.
TEST(run_settings, daily_time_texts) {
  struct Row { const char* text; std::optional<double> value; };
  const Row times[] = {
      {"10:59", 10.59}, {"10.23", 10.23}, {"0.05", 0.05},
      {"1:2:3", std::nullopt}, {"-1", std::nullopt},
  };
  for (const Row& r : times) EXPECT_EQ(DailyTimeValue(r.text), r.value) << '"' << r.text << '"';
}

}  // namespace
}  // namespace tarnwick
