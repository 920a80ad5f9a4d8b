#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "core/message_text.h"
#include "store/file_faults.h"

namespace tarnwick {

namespace fs = std::filesystem;

struct ScopedFileFault::State {
  FileFault fault;
  std::atomic<int> calls{0};
  std::atomic<std::size_t> written{0};
  std::atomic<int> hits{0};
};

namespace {

std::atomic<ScopedFileFault::State*> g_fault{nullptr};

// The errno an active fault makes `call` fail with now, or 0 to make the call for real.
int InjectedError(FileCall call) {
  ScopedFileFault::State* f = g_fault.load(std::memory_order_acquire);
  if (!f || f->fault.call != call || call == FileCall::Write) return 0;
  if (f->calls.fetch_add(1) + 1 != f->fault.nth) return 0;
  ++f->hits;
  return f->fault.error;
}

// write(), or a disk that fills up once an active Write fault's bytes have gone through.
ssize_t WriteSome(int fd, const char* p, size_t n) {
  ScopedFileFault::State* f = g_fault.load(std::memory_order_acquire);
  if (!f || f->fault.call != FileCall::Write) return ::write(fd, p, n);
  const std::size_t done = f->written.load();
  if (done >= f->fault.after_bytes) {
    ++f->hits;
    errno = f->fault.error;
    return -1;
  }
  const ssize_t r = ::write(fd, p, std::min(n, f->fault.after_bytes - done));
  if (r > 0) f->written += static_cast<std::size_t>(r);
  return r;
}

// A system call's result, or -1 with errno set when an active fault says so.
template <class Call>
int Checked(FileCall which, Call&& call) {
  if (const int e = InjectedError(which)) {
    errno = e;
    return -1;
  }
  return call();
}

// A path as messages show it: whole, unless it is far longer than any real path, when its
// start and its end are kept with the length in between (a name built from a settings file
// can be thousands of characters long).
std::string DisplayPath(const fs::path& path) {
  constexpr size_t kLongest = 1024, kHead = 200, kTail = 80;
  const std::string s = path.string();
  if (s.size() <= kLongest) return s;
  return s.substr(0, kHead) + "[... " + std::to_string(s.size()) + " characters in all ...]" +
         s.substr(s.size() - kTail);
}

std::string Reason(int error_number) {
  return std::generic_category().message(error_number);
}

FileStatus Failed(std::string_view verb, const fs::path& path, std::string_view reason) {
  return {false, "Could not " + std::string(verb) + " " + Quoted(DisplayPath(path)) + ": " +
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
    const ssize_t n = WriteSome(fd, p, left);
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
    fd = Checked(FileCall::Create,
                 [&] { return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
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
  if (Checked(FileCall::Sync, [&] { return ::fsync(fd); }) != 0) return give_up(errno);
  int closed = ::close(fd);
  fd = -1;
  if (closed == 0) closed = Checked(FileCall::Close, [] { return 0; });
  if (closed != 0) return give_up(errno);
  if (Checked(FileCall::Rename, [&] { return ::rename(temp.c_str(), target.c_str()); }) != 0) {
    return give_up(errno);
  }

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

ScopedFileFault::ScopedFileFault(const FileFault& fault) : state_(new State) {
  state_->fault = fault;
  g_fault.store(state_, std::memory_order_release);
}

ScopedFileFault::~ScopedFileFault() {
  g_fault.store(nullptr, std::memory_order_release);
  delete state_;
}

int ScopedFileFault::hits() const { return state_->hits.load(); }

}  // namespace tarnwick
