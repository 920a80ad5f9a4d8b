#include "store/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

TEST(atomic_file, write_replaces_whole_file_and_leaves_no_temporary) {
  ScratchFolder dir;
  const fs::path target = dir / "report.txt";
  ASSERT_TRUE(WriteFileAtomically(target, "a longer first content\r\n"));
  const FileStatus second = WriteFileAtomically(target, "new\r\n");
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(second.message, "");
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"report.txt"});
  ASSERT_TRUE(WriteFileAtomically(target, ""));
  EXPECT_EQ(ReadBytes(target), "");
}

TEST(atomic_file, failed_write_keeps_old_content_and_names_path_and_reason) {
  ScratchFolder dir;
  WriteBytes(dir / "plain.txt", "keep me");
  fs::create_directory(dir / "folder");
  struct Row {
    const char* name;
    fs::path path;
    std::string reason;
  };
  const Row rows[] = {
      {"folder missing", dir / "missing" / "y.txt", "No such file or directory"},
      {"target is a folder", dir / "folder", "Is a directory"},  // fails at the rename
      {"parent is a file", dir / "plain.txt" / "y.txt", "Not a directory"},
  };
  for (const Row& r : rows) {
    const FileStatus s = WriteFileAtomically(r.path, "bytes");
    EXPECT_FALSE(s.ok) << r.name;
    EXPECT_EQ(s.message, "Could not save \"" + r.path.string() + "\": " + r.reason) << r.name;
  }
  EXPECT_EQ(ReadBytes(dir / "plain.txt"), "keep me");
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder", "plain.txt"}));  // no temporary

  const FileStatus empty = WriteFileAtomically("", "x");
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.message, "Could not save: no file name was given.");
}

TEST(atomic_file, write_through_link_replaces_linked_file_and_keeps_permissions) {
  ScratchFolder dir;
  const fs::path real = dir / "real.opt";
  WriteBytes(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  fs::create_symlink("real.opt", dir / "link.opt");

  ASSERT_TRUE(WriteFileAtomically(dir / "link.opt", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.opt"));
  EXPECT_EQ(ReadBytes(real), "new");
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(atomic_file, read_refuses_what_is_not_a_small_regular_file) {
  ScratchFolder dir;
  WriteBytes(dir / "ten.txt", "0123456789");
  fs::create_directory(dir / "folder");
  struct Row {
    const char* name;
    fs::path path;
    std::uintmax_t cap;
    bool ok;
    bool missing;
    std::string reason;
  };
  const Row rows[] = {
      {"at the cap", dir / "ten.txt", 10, true, false, ""},
      {"over the cap", dir / "ten.txt", 9, false, false,
       "the file is larger than 9 bytes, too large to be one of this program's files"},
      {"missing", dir / "none.txt", kMaxReadBytes, false, true, "No such file or directory"},
      {"folder", dir / "folder", kMaxReadBytes, false, false, "it is a folder, not a file"},
  };
  for (const Row& r : rows) {
    const FileRead read = ReadWholeFile(r.path, r.cap);
    EXPECT_EQ(read.ok, r.ok) << r.name;
    EXPECT_EQ(read.missing, r.missing) << r.name;
    if (r.ok) {
      EXPECT_EQ(read.bytes, "0123456789") << r.name;
      EXPECT_EQ(read.message, "") << r.name;
    } else {
      EXPECT_EQ(read.message, "Could not read \"" + r.path.string() + "\": " + r.reason) << r.name;
    }
  }
  constexpr std::uintmax_t kMiB = 1024u * 1024u;
  WriteBytes(dir / "big.txt", std::string(kMiB + 1, 'x'));
  EXPECT_EQ(ReadWholeFile(dir / "big.txt", kMiB).message,
            "Could not read \"" + (dir / "big.txt").string() +
                "\": the file is larger than 1 MiB, too large to be one of this program's files");
}

TEST(atomic_file, lines_end_at_crlf_cr_or_lf) {
  struct Row {
    const char* text;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\nb\r\n", {"a", "", "b"}},
      {"a\r\r\n", {"a", ""}},   // CR alone, then CR LF
      {"a\n\r", {"a", ""}},     // LF then a lone CR: two line ends
      {"\r\n\r\n", {"", ""}},
  };
  for (const Row& r : rows) EXPECT_EQ(SplitLines(r.text), r.lines) << '"' << r.text << '"';
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(SplitLines(JoinLinesCrLf({"x", "", "y "})), (std::vector<std::string>{"x", "", "y "}));
}

}  // namespace
}  // namespace tarnwick
