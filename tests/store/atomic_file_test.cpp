#include "store/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <tuple>

#include "store/file_faults.h"
#include "store/settings_file.h"
#include "store/startup_file.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(atomic_file, failed_write_keeps_old_content_and_names_path_and_reason) {
  ScratchFolder dir;
  WriteBytes(dir / "plain.txt", "keep me");
  fs::create_directory(dir / "folder");
  const std::pair<fs::path, std::string> rows[] = {
      {dir / "missing" / "y.txt", "No such file or directory"},
      {dir / "folder", "Is a directory"},  // fails only at the rename
      {dir / "plain.txt" / "y.txt", "Not a directory"},
      {dir / std::string(256, 'n'), "File name too long"},  // over the 255 bytes Linux allows
  };
  for (const auto& [path, reason] : rows) {
    const FileStatus s = WriteFileAtomically(path, "bytes");
    EXPECT_EQ(std::pair(s.ok, s.message), std::pair(false, CouldNotSave(path, reason)));
  }
  EXPECT_EQ(ReadBytes(dir / "plain.txt"), "keep me");
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_EQ(dir.Entries(), (Names{"folder", "plain.txt"}));  // no temporary
  EXPECT_EQ(WriteFileAtomically("", "x").message, "Could not save: no file name was given.");
  // A name thousands of characters long is shortened in the message, keeping both ends.
  ScratchFolder long_names;
  const std::string message = WriteFileAtomically(long_names / (std::string(5000, 'a') + ".txt"), "x").message;
  EXPECT_LT(message.size(), 400u);
  EXPECT_NE(message.find("characters in all"), std::string::npos) << message;
  EXPECT_NE(message.find("aaa.txt\": File name too long"), std::string::npos) << message;
}

// Whatever step of a write the system refuses, the old file stays whole, no temporary file is
// left, and the message names the file and the system's reason; the next write works.
TEST(atomic_file, refused_step_keeps_old_file_and_leaves_no_temporary) {
  const std::tuple<const char*, FileFault, const char*> rows[] = {
      // The system's answer in a folder without write permission (root writes through it).
      {"folder without write permission", {FileCall::Create, EACCES}, "Permission denied"},
      {"read-only file system", {FileCall::Create, EROFS}, "Read-only file system"},
      {"no room for the first byte", {FileCall::Write, ENOSPC, 1, 0}, "No space left on device"},
      {"disk full mid-write", {FileCall::Write, ENOSPC, 1, 70000}, "No space left on device"},
      {"flush fails", {FileCall::Sync, EIO}, "Input/output error"},
      {"close reports a late error", {FileCall::Close, EIO}, "Input/output error"},
      {"rename refused", {FileCall::Rename, EACCES}, "Permission denied"},
  };
  const std::string content(200000, 'x');  // several write() calls, so a fault can fall between
  for (const auto& [name, fault, reason] : rows) {
    SCOPED_TRACE(name);
    ScratchFolder dir;
    WriteBytes(dir / "r.txt", "old");
    {
      const ScopedFileFault active(fault);
      const FileStatus s = WriteFileAtomically(dir / "r.txt", content);
      EXPECT_EQ(std::tuple(s.ok, s.message, active.hits()), std::tuple(false, CouldNotSave(dir / "r.txt", reason), 1));
    }
    EXPECT_EQ(std::pair(dir.Entries(), ReadBytes(dir / "r.txt")), std::pair(Names{"r.txt"}, std::string("old")));
    EXPECT_TRUE(WriteFileAtomically(dir / "r.txt", content));  // the program goes on
    EXPECT_EQ(ReadBytes(dir / "r.txt"), content);
  }

  // The nth call: the first save goes through, the second is refused.
  ScratchFolder dir;
  const ScopedFileFault second(FileFault{FileCall::Rename, ENOSPC, 2});
  EXPECT_TRUE(WriteFileAtomically(dir / "a.txt", "a"));
  EXPECT_FALSE(WriteFileAtomically(dir / "b.txt", "b"));
  EXPECT_EQ(dir.Entries(), Names{"a.txt"});
}

// A target that is a symbolic link, here to a 0600 file (/etc/passwd, say): a file the
// program names itself (the start-up file, by the default policy) takes the link's place and
// leaves the linked file alone; a file the user chose (a settings file, by FollowLink) is
// written where the link points,
// keeping that file's permission bits, as editors do. A shorter content goes over a longer
// one, and no temporary file is left.
TEST(atomic_file, symbolic_link_is_replaced_or_followed_as_asked) {
  const StartupValues values{"12/01/2007", "12/31/2007", "10:00", "10:59", "5", ""};
  using Writer = std::function<FileStatus(const fs::path&)>;
  const std::tuple<const char*, Writer, bool> rows[] = {  // name, writer, followed
      {"start-up file", [&](const fs::path& p) { return WriteStartupFile(p, values); }, false},
      {"settings file", [](const fs::path& p) { return SaveSettingsFile(p, RunSettings{}); }, true},
  };
  for (const auto& [name, write, followed] : rows) {
    SCOPED_TRACE(name);
    ScratchFolder dir;
    const std::string old = std::string(5000, 'o') + "\r\n";
    WriteBytes(dir / "real.opt", old);
    ASSERT_EQ(::chmod((dir / "real.opt").c_str(), 0600), 0);
    fs::create_symlink("real.opt", dir / "link.opt");
    const FileStatus s = write(dir / "link.opt");
    EXPECT_EQ(std::pair(s.ok, s.message), std::pair(true, std::string()));
    EXPECT_EQ(fs::is_symlink(dir / "link.opt"), followed);
    const std::string written = ReadBytes(dir / "link.opt");
    EXPECT_TRUE(written.ends_with("\r\n") && written.size() < old.size()) << written;
    EXPECT_EQ(ReadBytes(dir / "real.opt"), followed ? written : old);
    EXPECT_EQ(fs::status(dir / "real.opt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir.Entries(), (Names{"link.opt", "real.opt"}));
  }
}

// A temporary file of ours whose process is gone (killed in the middle of a save) is removed
// by the next write into its folder; one of a process that still runs, and any other name,
// is left alone.
TEST(atomic_file, stale_temporary_files_of_ended_processes_are_removed) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);  // reaped: its process id is free now
  const std::string ended = std::to_string(child), running = std::to_string(::getppid());
  const std::pair<std::string, bool> rows[] = {  // name, removed
      {".tarnwick-" + ended + "-0-0badf00d.tmp", true}, {".tarnwick-" + ended + "-17-ffffffff.tmp", true},
      {".tarnwick-" + running + "-0-0badf00d.tmp", false}, {".tarnwick-" + ended + "-0-0badf00d.tmp.txt", false},
      {".tarnwick-" + ended + "-0-0badf00.tmp", false}, {".tarnwick-" + ended + "-x-0badf00d.tmp", false},
      {".tarnwick-" + ended + ".tmp", false}, {"tarnwick-" + ended + "-0-0badf00d.tmp", false},
  };
  ScratchFolder dir;
  Names kept{"r.txt"};
  for (const auto& [name, removed] : rows) {
    WriteBytes(dir / name, "an earlier report");
    if (!removed) kept.push_back(name);
  }
  std::sort(kept.begin(), kept.end());
  EXPECT_TRUE(WriteFileAtomically(dir / "r.txt", "new"));
  EXPECT_EQ(dir.Entries(), kept);
}

// Ctrl+C or a shutdown in the middle of a save: the process ends by the signal, as it would
// have without the clean-up, and takes its temporary file with it; the old file stays whole.
TEST(atomic_file, signal_during_a_save_removes_the_temporary_file) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child writes into this test's folder
  for (const int sig : {SIGINT, SIGTERM}) {
    for (const FileCall call : {FileCall::Sync, FileCall::Rename}) {
      ScratchFolder dir;
      WriteBytes(dir / "r.txt", "old");
      EXPECT_EXIT(
          {
            RemoveTemporaryFilesOnSignals();
            const ScopedFileFault interrupted(FileFault{call, 0, 1, 0, sig});
            WriteFileAtomically(dir / "r.txt", std::string(100000, 'x'));
            std::_Exit(0);
          },
          ::testing::KilledBySignal(sig), "");
      EXPECT_EQ(std::pair(dir.Entries(), ReadBytes(dir / "r.txt")), std::pair(Names{"r.txt"}, std::string("old")));
    }
  }
}

// A file written piece by piece: the target changes only at Commit; a writer given up (or
// destroyed) leaves the old file and no temporary; a failed piece is named and sticks.
TEST(atomic_file, piecewise_writer_commits_or_leaves_the_old_file) {
  // content: of r.txt afterwards; message: of the first failure, "" when none.
  struct Row { const char* name; bool commit; std::optional<FileFault> fault; std::string content, message; };
  const std::string pieces[] = {"first\r\n", std::string(70000, 'x'), "last\r\n"};
  const std::string all = pieces[0] + pieces[1] + pieces[2];
  const Row rows[] = {
      {"committed", true, std::nullopt, all, ""}, {"given up before the commit", false, std::nullopt, "old", ""},
      {"disk full in the second piece", true, FileFault{FileCall::Write, ENOSPC, 1, 1000},
       "old", "No space left on device"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ScratchFolder dir;
    WriteBytes(dir / "r.txt", "old");
    {
      std::optional<ScopedFileFault> fault;
      if (r.fault) fault.emplace(*r.fault);
      AtomicFileWriter file(dir / "r.txt");
      ASSERT_TRUE(file.Open().ok);
      EXPECT_EQ(dir.Entries().size(), 2u);  // the old file and the temporary
      for (const std::string& piece : pieces) file.Append(piece);
      EXPECT_EQ(ReadBytes(dir / "r.txt"), "old");  // nothing shows before the commit
      const FileStatus done = r.commit ? file.Commit() : FileStatus{};
      const std::string expected = r.message.empty() ? "" : CouldNotSave(dir / "r.txt", r.message);
      EXPECT_EQ(std::pair(done.message, file.status().message), std::pair(expected, expected));
      if (!r.message.empty()) { EXPECT_EQ(file.Append("more").message, expected); }  // it sticks
    }
    EXPECT_EQ(std::pair(dir.Entries(), ReadBytes(dir / "r.txt")), std::pair(Names{"r.txt"}, r.content));
  }
}

TEST(atomic_file, read_refuses_what_is_not_a_small_regular_file) {
  ScratchFolder dir;
  WriteBytes(dir / "ten.txt", "0123456789");
  fs::create_directory(dir / "folder");
  // path, size limit, missing, reason ("" when the read succeeds)
  const std::tuple<fs::path, std::uintmax_t, bool, std::string> rows[] = {
      {dir / "ten.txt", 10, false, ""},
      {dir / "ten.txt", 9, false, "the file is larger than 9 bytes, too large to be one of this program's files"},
      {dir / "none.txt", kMaxReadBytes, true, "No such file or directory"},
      {dir / "folder", kMaxReadBytes, false, "it is a folder, not a file"},
  };
  for (const auto& [path, cap, missing, reason] : rows) {
    const FileRead read = ReadWholeFile(path, cap);
    EXPECT_EQ(std::tuple(read.ok, read.missing, read.bytes, read.message),
              std::tuple(reason.empty(), missing, reason.empty() ? "0123456789" : "",
                         reason.empty() ? "" : CouldNotRead(path, reason)));
  }
}

TEST(atomic_file, lines_end_at_crlf_cr_or_lf) {
  const std::pair<const char*, Names> rows[] = {
      {"", {}},
      {"a\r\n", {"a"}},  // a final line end starts no further line
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\n\nb\r\n", {"a", "", "b"}},
      {"a\r\r\n", {"a", ""}},  // CR alone, then CR LF
      {"a\n\r", {"a", ""}},    // LF, then a CR alone: two line ends
  };
  for (const auto& [text, lines] : rows) EXPECT_EQ(SplitLines(text), lines) << '"' << text << '"';
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b "}), "a\r\n\r\nb \r\n");
}

}  // namespace
}  // namespace tarnwick
