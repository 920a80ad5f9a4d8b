// Files that commit or do nothing: whole-file writes through a temporary file renamed over the
// target, bounded whole-file reads, and the line splitting and joining of the text files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Outcome of a file operation. message is empty on success; otherwise it is a sentence for
// the user naming the file's path and the reason, e.g.
// Could not save "/x/y.txt": Permission denied
struct FileStatus {
  bool ok = true;
  std::string message;
  explicit operator bool() const { return ok; }
};

// How a write treats a target that is a symbolic link.
enum class LinkPolicy {
  // The new file takes the place of the link; the file it pointed to is not touched. For the
  // files the program names itself (reports, the start-up file, the user's help copy): a link
  // planted under such a name must not make the program overwrite some other file.
  ReplaceLink,
  // The file the link points to is replaced and the link stays, as editors do. For a file the
  // user chose in a dialog or on the command line.
  FollowLink,
};

// Writes bytes to path so that the file afterwards holds either exactly these bytes or what
// it held before (or still does not exist). The bytes go to a uniquely named temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the target.
// On any failure the temporary file is removed, and temporary files in that folder left by
// processes of this program that have ended (killed in the middle of a save) are removed
// first. An existing target's permission bits are kept; a new file gets 0666 less the umask.
FileStatus WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                               LinkPolicy links = LinkPolicy::ReplaceLink);

// The same, for a file written piece by piece as its content comes (a long run's report): the
// pieces go to a temporary file beside the target, which Commit flushes and renames over the
// target. A writer destroyed without Commit (a cancelled run, an exception) removes its
// temporary file, and so does SIGINT, SIGTERM or SIGHUP once RemoveTemporaryFilesOnSignals is
// on; the target keeps what it held. After a failure every later call gives that failure.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::filesystem::path path, LinkPolicy links = LinkPolicy::ReplaceLink);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  FileStatus Open();                          // makes the temporary file
  FileStatus Append(std::string_view bytes);  // adds to it
  FileStatus Commit();                        // flushes it and renames it over the target
  void Abandon();                             // removes it; the target stays as it was

  const FileStatus& status() const;

 private:
  struct State;
  State* state_;
};

// Makes the folder of `file` and its missing parents; a folder that exists already is fine.
// On failure the message says that `file` could not be saved and the system's reason
// ("Read-only file system", "Permission denied", "Not a directory").
FileStatus MakeFolderFor(const std::filesystem::path& file);

// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE (the reader of a streamed report gone, as
// with `| head`) first remove the temporary file of any save in progress, then end the
// process as the signal would have. A signal the process ignores (a
// runner started with nohup) or handles itself is left as it is. For programs that save
// while a user or a shutdown may stop them; call once at start.
void RemoveTemporaryFilesOnSignals();

// Largest file the readers accept, in bytes: far above any settings, start-up or help file,
// so a larger file is a wrong choice (a report archive, a disk image) rather than our data.
inline constexpr std::uintmax_t kMaxReadBytes = 16u * 1024u * 1024u;

struct FileRead {
  bool ok = false;
  bool missing = false;  // the file does not exist (callers that fall back to defaults stay quiet)
  std::string bytes;     // the whole content when ok
  std::string message;   // empty when ok
};

// Reads a whole regular file of at most max_bytes bytes. A missing file, a folder, a file
// that cannot be opened or read, and a larger file are refused with a message naming the path.
FileRead ReadWholeFile(const std::filesystem::path& path, std::uintmax_t max_bytes = kMaxReadBytes);

// Splits a text into lines ended by CR LF, CR alone or LF alone. A terminator at the very end
// does not start another line, so "a\r\n" is one line and "" is none.
std::vector<std::string> SplitLines(std::string_view text);

// Joins lines, each followed by CR LF, as every text file of the program is written.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// True when a text holds a CR or LF, which a one-line-per-value file cannot store.
bool HoldsLineBreak(std::string_view text);

}  // namespace tarnwick
