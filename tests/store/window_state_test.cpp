#include "store/window_state.h"

#include <gtest/gtest.h>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

TEST(window_state, written_state_reads_back_the_same) {
  ScratchFolder folder;
  const WindowState state = {{"geometry", "12,-40,900,640"},
                             {"columns", "AAAA/w==+abc"},  // base64 holds "=" in values
                             {"empty", ""},
                             {"blanks", " a b "}};
  ASSERT_TRUE(WriteWindowState(folder / "window.state", state));
  EXPECT_EQ(ReadWindowState(folder / "window.state"), state);
  EXPECT_EQ(ReadBytes(folder / "window.state").substr(0, 15), "blanks= a b \r\nc");
}

TEST(window_state, lines_it_cannot_use_are_passed_over) {
  ScratchFolder folder;
  const std::pair<const char*, WindowState> rows[] = {
      {"", {}},
      {"no equals sign\nview=1\n", {{"view", "1"}}},
      {"=no key\rview=2", {{"view", "2"}}},
      {"view=1\r\nview=3\r\n", {{"view", "3"}}},  // the last one counts
  };
  for (const auto& [bytes, expected] : rows) {
    WriteBytes(folder / "window.state", bytes);
    EXPECT_EQ(ReadWindowState(folder / "window.state"), expected) << bytes;
  }
  EXPECT_TRUE(ReadWindowState(folder / "missing.state").empty());
}

TEST(window_state, entries_it_cannot_store_are_refused_and_nothing_written) {
  ScratchFolder folder;
  const WindowState rows[] = {{{"a=b", "1"}}, {{"key", "two\nlines"}}, {{"", "1"}}, {{"line\r", "1"}}};
  for (const WindowState& state : rows) {
    const FileStatus status = WriteWindowState(folder / "window.state", state);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("window.state"), std::string::npos) << status.message;
    EXPECT_FALSE(std::filesystem::exists(folder / "window.state"));
  }
}

}  // namespace
}  // namespace tarnwick
