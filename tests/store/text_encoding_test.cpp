#include "store/text_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

namespace tarnwick {
namespace {

TEST(text_encoding, files_become_utf8_or_are_refused) {
  // what, bytes, text when decoded, problem when refused. (UTF-16 little-endian and NUL
  // bytes: the settings and start-up files' tests, which decode or refuse them whole.)
  const std::tuple<const char*, std::string, std::string, std::string> rows[] = {
      {"empty", "", "", ""},
      {"utf-8 kept", "Z\u00fcrich\r\n", "Z\u00fcrich\r\n", ""},
      {"byte order marks dropped", "\xEF\xBB\xBF\xEF\xBB\xBF" "12/01", "12/01", ""},
      {"a mark inside a line stays", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF", ""},
      {"windows-1252", "23:59 \xE9 \x80 \x81", "23:59 \u00e9 \u20ac \u0081", ""},
      {"each line decided alone", "\u00e9\r\n\xE9\n", "\u00e9\r\n\u00e9\n", ""},
      {"overlong utf-8 is no utf-8", "\xC0\xAF", "\u00c0\u00af", ""},
      {"utf-8 surrogate is no utf-8", "\xED\xA0\x80", "\u00ed\u00a0\u20ac", ""},
      {"utf-16 big-endian pair", std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6), "\U0001F600", ""},
      {"utf-16 mark then utf-8 mark", std::string("\xFF\xFE\xFF\xFE" "a\0", 6), "a", ""},
      {"utf-16 odd length", "\xFF\xFE" "a", "",
       "it is marked as UTF-16 text but has an odd number of bytes"},
      {"utf-16 lone surrogate", std::string("\xFF\xFE" "a\0\x00\xD8", 6), "",
       "it is marked as UTF-16 text but holds a broken character at byte 4"},
      {"utf-16 NUL", std::string("\xFF\xFE\0\0", 4), "",
       "it holds NUL characters, which no text file has"},
  };
  for (const auto& [name, bytes, text, problem] : rows) {
    const DecodedText d = DecodeTextFile(bytes);
    EXPECT_EQ(d.ok, problem.empty()) << name;
    EXPECT_EQ(d.text, text) << name;
    EXPECT_EQ(d.problem, problem) << name;
  }
}

TEST(text_encoding, first_line_longer_than_a_limit) {
  using Found = std::optional<std::pair<size_t, size_t>>;  // line number, bytes
  const std::pair<const char*, Found> rows[] = {
      {"abc\r\nabc", std::nullopt},  // at the limit, not over it
      {"abcd", {{1, 4}}},
      {"abc\r\nabcd\r\nabcde", {{2, 4}}},
      {"a\r\r\nb\n\nabcd", {{5, 4}}},  // CR alone and LF alone end lines too
  };
  for (const auto& [text, expected] : rows) {
    const auto found = FirstLineLongerThan(text, 3);
    EXPECT_EQ(found ? Found({found->number, found->bytes}) : std::nullopt, expected) << text;
  }
}

}  // namespace
}  // namespace tarnwick
