#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error_number) {
  return std::generic_category().message(error_number);
}

FileStatus Failed(std::string_view verb, const fs::path& path, std::string_view reason) {
  return {false, "Could not " + std::string(verb) + " \"" + path.string() + "\": " +
                     std::string(reason)};
}

// A name no other writer uses: process id, a per-process counter and a random part, so two
// threads, two copies of the program, or a leftover from a crash never collide. Kept short
// and independent of the target's name, so a target name near the file system's length
// limit does not make the temporary name too long.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  char name[80];
  std::snprintf(name, sizeof name, ".tarnwick-%ld-%u-%08x.tmp", static_cast<long>(::getpid()),
                counter.fetch_add(1), static_cast<unsigned>(random()));
  return name;
}

// Writes all bytes, retrying short writes and interruptions. Answers 0 or the errno value.
int WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return 0;
}

// The file a write really replaces: the target of a symbolic link, else the path itself.
fs::path ResolvedTarget(const fs::path& path) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(path, ec))) {
    const fs::path target = fs::canonical(path, ec);
    if (!ec) return target;
  }
  return path;
}

}  // namespace

FileStatus WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  if (path.empty()) return {false, "Could not save: no file name was given."};
  const fs::path target = ResolvedTarget(path);
  if (!target.has_filename()) return Failed("save", path, "the path names a folder, not a file");
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

  fs::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder / TemporaryName();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Failed("save", path, Reason(errno));
  }
  if (fd < 0) return Failed("save", path, Reason(EEXIST));

  const auto give_up = [&](int error_number) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    return Failed("save", path, Reason(error_number));
  };

  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) return give_up(errno);
  }
  if (const int e = WriteAll(fd, bytes); e != 0) return give_up(e);
  if (::fsync(fd) != 0) return give_up(errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return give_up(errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) return give_up(errno);

  // Make the rename itself durable. Best effort: the new content is already complete and in
  // place, so a failure here is no reason to report the save as failed.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

FileRead ReadWholeFile(const fs::path& path, std::uintmax_t max_bytes) {
  FileRead out;
  const auto fail = [&](std::string_view reason) {
    out.message = Failed("read", path, reason).message;
    return out;
  };
  if (path.empty()) {
    out.missing = true;
    out.message = "Could not read: no file name was given.";
    return out;
  }
  // Non-blocking open, so a named pipe chosen by mistake is refused below instead of
  // waiting forever for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    out.missing = errno == ENOENT;
    return fail(Reason(errno));
  }
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};

  struct stat st {};
  if (::fstat(fd, &st) != 0) return fail(Reason(errno));
  if (S_ISDIR(st.st_mode)) return fail("it is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return fail("it is not a regular file");
  const auto too_large = [&] {
    constexpr std::uintmax_t kMiB = 1024u * 1024u;
    const std::string limit = max_bytes >= kMiB && max_bytes % kMiB == 0
                                  ? std::to_string(max_bytes / kMiB) + " MiB"
                                  : std::to_string(max_bytes) + " bytes";
    return fail("the file is larger than " + limit +
                ", too large to be one of this program's files");
  };
  if (static_cast<std::uintmax_t>(st.st_size) > max_bytes) return too_large();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(Reason(errno));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > max_bytes) return too_large();  // grew while being read
  }
  out.ok = true;
  out.bytes = std::move(bytes);
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

bool HoldsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace tarnwick
