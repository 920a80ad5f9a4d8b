// User text inside messages.
#include "core/message_text.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(message_text, control_characters_are_written_out) {
  const std::pair<std::string, std::string> rows[] = {
      {"5.5", "5.5"},
      {"5\x1b[31m\x07", "5\\x1b[31m\\x07"},           // a colour change and the bell
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {std::string("a\0b", 3), "a\\x00b"},
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
