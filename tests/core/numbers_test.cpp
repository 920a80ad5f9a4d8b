// Numbers in texts, user text inside messages, and angles on the circle: reductions,
// midpoints and mid-degrees.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/angles.h"
#include "core/message_text.h"
#include "core/midpoints.h"
#include "core/number_text.h"
#include "decimal_comma_locale.h"
#include "tests/support/repeatable_random.h"

namespace tarnwick {
namespace {

TEST(number_text, leading_number_rule_and_whole_text_decimal) {
  // The regional decimal sign reads as the point too, only when it is given.
  const std::tuple<const char*, char, std::optional<double>> rows[] = {
      {"3.0", '.', 3.0},   {"2.5x", '.', 2.5},  {"-5", '.', -5.0},    {" 7", '.', 7.0},     {".5", '.', 0.5},
      {"5.", '.', 5.0},    {"1.2.3", '.', 1.2}, {"10:59", '.', 10.0}, {"0,9", ',', 0.9},    {"0,9", '.', 0.0},
      {"", '.', std::nullopt},                  {"-", '.', std::nullopt},                  {".", '.', std::nullopt},
  };
  for (const auto& [text, sep, expected] : rows)
    EXPECT_EQ(LeadingNumber(text, sep), expected) << '"' << text << '"';
  // Hundreds of digits: as far as a double goes.
  EXPECT_EQ(LeadingNumber(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(LeadingNumber("-0." + std::string(400, '0') + "1"), -0.0);
  const std::tuple<const char*, char, std::optional<double>> wholes[] = {
      {"-5", '.', -5.0},           {"5.5", '.', 5.5},          {" 5.5 ", '.', 5.5},
      {"5,5", ',', 5.5},           {"5.5", ',', 5.5},          {"5,5", '.', std::nullopt},
      {"", '.', std::nullopt},     {"-", '.', std::nullopt},   {"1.2.3", '.', std::nullopt},
      {"5h", '.', std::nullopt},   {"--5", '.', std::nullopt},
  };
  for (const auto& [text, sep, expected] : wholes)
    EXPECT_EQ(WholeDecimal(text, sep), expected) << '"' << text << '"';
}

TEST(number_text, fixed_patterns_round_half_away_from_zero) {
  // Padding, halves away from zero on both sides, no "-" for a value that rounds to zero,
  // more integer digits than the pattern, a carry into the integer part, the decimal sign.
  const std::tuple<double, int, const char*> rows[] = {
      {5.25, 3, "05.250"}, {-0.5, 3, "-00.500"}, {-0.0001, 3, "00.000"}, {0.25, 1, "00.3"},
      {-0.25, 1, "-00.3"}, {123.456, 1, "123.5"}, {29.97, 1, "30.0"},     {7.0, 0, "07"},
  };
  for (const auto& [value, decimals, text] : rows)
    EXPECT_EQ(FormatFixed(value, 2, decimals), text) << value;
  // Every digit of a large number, not the first 63 of them.
  for (const double big : {1e100, -3e300}) {
    const std::string text = FormatFixed(big, 2, 3);
    EXPECT_EQ(WholeDecimal(text), big) << text;
    EXPECT_TRUE(text.ends_with(".000")) << text;
  }
  // The pattern's digits are those of the rounded value as to_chars writes it with the same
  // decimals: checked over values of every size a report or a summary shows, halves and near
  // halves included, against the rounded value's own text.
  std::vector<double> values = {0.05, 0.15, 0.25, 0.35, 1.005, 2.675, 29.95, 29.949999999999999,
                                359.95, 1e-9, -1e-9, 123456789.125, 4503599627370495.5, 1e15 + 0.5};
  RepeatableRandom random(0x9e3779b97f4a7c15u);
  const auto next = [&random] { return random.Next(); };
  for (int i = 0; i < 20000; ++i) {
    const double magnitude = std::pow(10.0, std::floor(next() * 12.0) - 3.0);
    values.push_back((next() - 0.5) * 2.0 * magnitude);
    values.push_back(std::round(next() * 3600.0) / 10.0 + 0.05);  // a decimal half, as typed
  }
  for (const double v : values) {
    for (int decimals = 0; decimals <= 4; ++decimals) {
      const double scale = std::pow(10.0, decimals);
      double rounded = std::round(v * scale) / scale;
      if (rounded == 0.0) rounded = 0.0;
      char text[400];
      const auto end = std::to_chars(text, text + sizeof text, std::fabs(rounded), std::chars_format::fixed, decimals).ptr;
      std::string expected(text, end);
      const size_t int_part = std::min(expected.find('.'), expected.size());
      if (int_part < 2) expected.insert(0, 2 - int_part, '0');
      if (rounded < 0) expected.insert(0, 1, '-');
      ASSERT_EQ(FormatFixed(v, 2, decimals), expected) << v << " with " << decimals << " decimals";
    }
  }
}

// The desktop program runs in the user's C locale (QApplication sets it): there strtod stopped
// at the point ("-5.5" read as -5, "0.9" as 0) and printf wrote "01,8".
TEST(number_text, a_decimal_comma_c_locale_changes_nothing) {
  if (const std::string why = UseDecimalCommaLocale(); !why.empty()) GTEST_SKIP() << why;
  const std::vector<std::optional<double>> read = {WholeDecimal("-5.5"), LeadingNumber("0.9"),
                                                   WholeDecimal("-5,5", ','), LeadingNumber("2.25x")};
  const std::vector<std::string> written = {FormatFixed(1.8, 2, 1), FormatFixed(-23.4419, 2, 3)};
  LeaveDecimalCommaLocale();
  EXPECT_EQ(read, (std::vector<std::optional<double>>{-5.5, 0.9, -5.5, 2.25}));
  EXPECT_EQ(written, (std::vector<std::string>{"01.8", "-23.442"}));
}

constexpr double kEps = 1e-9;  // degrees; all cases are exact up to rounding of the inputs

TEST(midpoints, midpoint_on_the_shorter_arc_and_reductions_into_a_range) {
  // Either order, across 0 from either side, exactly opposite (the first midpoint) and just
  // past opposite, and one point twice.
  const double rows[][3] = {{100, 200, 150}, {200, 100, 150}, {10, 350, 0}, {350, 20, 5},
                            {0, 180, 90},    {0, 180.0002, 270.0001},       {90, 90, 90}};
  for (const auto& [a, b, expected] : rows) {
    const double m = Find_Midpoint(a, b);
    EXPECT_NEAR(ArcDistance(m, expected), 0.0, kEps) << a << " " << b;
    EXPECT_TRUE(m >= 0.0 && m < 360.0) << m;
  }
  // The reductions into a range under it.
  for (const auto& [got, expected] : {std::pair{Reduce_to_under_30(-5), 25.0}, {Reduce_to_under_15(37), 7.0},
                                      {Reduce_to_under_360(-0.5), 359.5}, {Reduce_to_under_360(720.25), 0.25}})
    EXPECT_DOUBLE_EQ(got, expected);
}

TEST(midpoints, mid_degree_with_and_without_the_near_rule) {
  // a, b, with the near rule, without. 7.5 and 22.5 themselves do not bring the rule in.
  const double rows[][4] = {
      {5, 25, 0, 15},  {25, 5, 0, 15}, {2, 24, 28, 13}, {35, 55, 0, 15},
      {8, 24, 16, 16}, {7.5, 23, 15.25, 15.25}, {7, 22.5, 14.75, 14.75},
  };
  for (const auto& [a, b, with_near, without] : rows) {
    EXPECT_NEAR(Find_Middegree(a, b, true), with_near, kEps) << a << " " << b;
    EXPECT_NEAR(Find_Middegree(a, b, false), without, kEps) << a << " " << b;
  }
}

// User text inside messages.

TEST(message_text, control_characters_are_written_out) {
  const std::pair<std::string, std::string> rows[] = {
      {"5.5", "5.5"},
      {"5\x1b[31m\x07", "5\\x1b[31m\\x07"},           // a colour change and the bell
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"}, {std::string("a\0b", 3), "a\\x00b"},
      {"\x7f", "\\x7f"},                              // DEL
      {"\xc2\x9b" "2J", "\\u009b2J"},                 // the C1 CSI, in UTF-8
      {"\x9b" "2J", "\\x9b2J"},                       // a lone byte that is not UTF-8
      {"Zo\xc3\xab \xe2\x99\x83 \xf0\x9f\x8c\x99", "Zo\xc3\xab \xe2\x99\x83 \xf0\x9f\x8c\x99"},
      {"\xe2\x99", "\\xe2\\x99"},                     // a cut-off sequence
      {"C:\\x1b", "C:\\x1b"},                         // a backslash is kept as typed
  };
  for (const auto& [text, shown] : rows) EXPECT_EQ(EscapeControls(text), shown) << shown;
  EXPECT_EQ(Quoted("5\x1b"), "\"5\\x1b\"");
}

}  // namespace
}  // namespace tarnwick
