#include "core/number_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick {
namespace {

TEST(number_text, leading_number_rule) {
  struct Row {
    const char* text;
    std::optional<double> expected;
  };
  const Row rows[] = {
      {"3.0", 3.0},   {"2.5x", 2.5}, {"15", 15.0},     {"-5", -5.0},      {" 7", 7.0},
      {".5", 0.5},    {"5.", 5.0},   {"1.2.3", 1.2},   {"", std::nullopt}, {"-", std::nullopt},
      {"abc", std::nullopt}, {".", std::nullopt}, {"10:59", 10.0},
  };
  for (const Row& r : rows) EXPECT_EQ(LeadingNumber(r.text), r.expected) << '"' << r.text << '"';
}

TEST(number_text, whole_text_decimal) {
  struct Row {
    const char* text;
    char sep;
    std::optional<double> expected;
  };
  const Row rows[] = {
      {"5", '.', 5.0},           {"-5", '.', -5.0},          {"5.5", '.', 5.5},
      {" 5.5 ", '.', 5.5},       {"5,5", ',', 5.5},          {"5.5", ',', 5.5},
      {"5,5", '.', std::nullopt}, {"", '.', std::nullopt},    {"-", '.', std::nullopt},
      {"1.2.3", '.', std::nullopt}, {"5h", '.', std::nullopt}, {"--5", '.', std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(WholeDecimal(r.text, r.sep), r.expected) << '"' << r.text << '"';
}

TEST(number_text, fixed_patterns_round_half_away_from_zero) {
  EXPECT_EQ(FormatFixed(5.25, 2, 3), "05.250");
  EXPECT_EQ(FormatFixed(-0.5, 2, 3), "-00.500");
  EXPECT_EQ(FormatFixed(23.4419, 2, 3), "23.442");
  EXPECT_EQ(FormatFixed(0.0, 2, 3), "00.000");
  EXPECT_EQ(FormatFixed(-0.0001, 2, 3), "00.000");  // rounds to zero: no minus sign
  EXPECT_EQ(FormatFixed(0.25, 2, 1), "00.3");
  EXPECT_EQ(FormatFixed(-0.25, 2, 1), "-00.3");
  EXPECT_EQ(FormatFixed(123.456, 2, 1), "123.5");
  EXPECT_EQ(FormatFixed(29.97, 2, 1), "30.0");
  EXPECT_EQ(FormatFixed(5.25, 2, 3, ','), "05,250");
  // Every digit of a large number, not the first 63 of them.
  for (const double big : {1e100, -3e300}) {
    const std::string text = FormatFixed(big, 2, 3);
    EXPECT_EQ(WholeDecimal(text), big) << text;
    EXPECT_TRUE(text.ends_with(".000")) << text;
  }
}

}  // namespace
}  // namespace tarnwick
