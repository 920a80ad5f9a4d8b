#include "store/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
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
  if (f->fault.signal != 0) ::raise(f->fault.signal);
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

// The process id in a name TemporaryName() made (".tarnwick-PID-N-XXXXXXXX.tmp"), or 0 for
// any other name.
pid_t TemporaryNameProcess(std::string_view name) {
  constexpr std::string_view kPrefix = ".tarnwick-", kSuffix = ".tmp";
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return 0;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const auto digits = [](std::string_view t) {
    return !t.empty() && t.size() <= 10 &&
           std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  };
  const size_t a = name.find('-'), b = name.rfind('-');
  if (a == std::string_view::npos || b == a) return 0;
  const std::string_view pid = name.substr(0, a), counter = name.substr(a + 1, b - a - 1),
                         random = name.substr(b + 1);
  const bool hex8 = random.size() == 8 && std::all_of(random.begin(), random.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c));
  });
  if (!digits(pid) || !digits(counter) || !hex8) return 0;
  const long value = std::stol(std::string(pid));
  return value > 0 && value <= INT_MAX ? static_cast<pid_t>(value) : 0;
}

// Removes the temporary files in folder whose writer has ended without removing them (a
// process killed by SIGKILL, a power cut). A process that still runs may be in the middle of
// its save, and a process id the system reports as taken (perhaps reused) is left alone too:
// only a definite "no such process" lets a file go.
void RemoveStaleTemporaries(const fs::path& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = TemporaryNameProcess(entry->d_name);
    if (pid == 0 || pid == self) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// The temporary files of the saves in progress, for the signal handler, which may only make
// async-signal-safe calls: fixed buffers, lock-free atomics, unlink(). A slot is Free, then
// Filling while a writer copies its path in, Armed while the file may exist, and Taken once
// the handler removes it. More saves at once than slots go unguarded; the stale-file removal
// of a later save catches what they leave.
enum SlotState : int { kFree, kFilling, kArmed, kTaken };
struct PendingTemporary {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
PendingTemporary g_pending[8];
static_assert(std::atomic<int>::is_always_lock_free);

// Marks a temporary file for removal by the signal handler while it lives.
class GuardedTemporary {
 public:
  explicit GuardedTemporary(const fs::path& path) {
    const std::string& text = path.native();
    if (text.size() >= PATH_MAX) return;
    for (PendingTemporary& p : g_pending) {
      int free = kFree;
      if (!p.state.compare_exchange_strong(free, kFilling)) continue;
      std::memcpy(p.path, text.c_str(), text.size() + 1);
      p.state.store(kArmed);
      slot_ = &p;
      return;
    }
  }
  ~GuardedTemporary() {
    if (!slot_) return;
    // Armed -> Free. Taken means the handler is removing the file on another thread and the
    // process is about to end: wait for that rather than reuse the buffer under it.
    for (int armed = kArmed; !slot_->state.compare_exchange_weak(armed, kFree); armed = kArmed) {
    }
  }
  GuardedTemporary(const GuardedTemporary&) = delete;
  GuardedTemporary& operator=(const GuardedTemporary&) = delete;

 private:
  PendingTemporary* slot_ = nullptr;
};

extern "C" void RemoveTemporariesAndEnd(int sig) {
  for (PendingTemporary& p : g_pending) {
    int armed = kArmed;
    if (p.state.compare_exchange_strong(armed, kTaken)) ::unlink(p.path);
  }
  // SA_RESETHAND has restored the default action; the signal, blocked while this handler
  // runs, is delivered again when it returns and ends the process with the usual status.
  ::raise(sig);
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

// The file a write really replaces: with FollowLink the target of a symbolic link, else the
// path itself.
fs::path ResolvedTarget(const fs::path& path, LinkPolicy links) {
  std::error_code ec;
  if (links == LinkPolicy::FollowLink && fs::is_symlink(fs::symlink_status(path, ec))) {
    const fs::path target = fs::canonical(path, ec);
    if (!ec) return target;
  }
  return path;
}

}  // namespace

struct AtomicFileWriter::State {
  fs::path path;     // as given, for messages
  fs::path target;   // the file replaced
  fs::path folder;
  fs::path temp;
  int fd = -1;
  std::optional<GuardedTemporary> guard;
  FileStatus status;
  enum class Phase { New, Open, Done } phase = Phase::New;

  FileStatus GiveUp(int error_number) {
    RemoveTemporary();
    status = Failed("save", path, Reason(error_number));
    phase = Phase::Done;
    return status;
  }
  void RemoveTemporary() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    if (!temp.empty()) ::unlink(temp.c_str());
    temp.clear();
    guard.reset();
  }
};

AtomicFileWriter::AtomicFileWriter(fs::path path, LinkPolicy links) : state_(new State) {
  state_->path = std::move(path);
  state_->target = ResolvedTarget(state_->path, links);
}

AtomicFileWriter::~AtomicFileWriter() {
  Abandon();
  delete state_;
}

const FileStatus& AtomicFileWriter::status() const { return state_->status; }

FileStatus AtomicFileWriter::Open() {
  State& st = *state_;
  if (st.phase != State::Phase::New) return st.status;
  st.phase = State::Phase::Done;  // until it is open
  if (st.path.empty()) return st.status = {false, "Could not save: no file name was given."};
  if (!st.target.has_filename()) return st.status = Failed("save", st.path, "the path names a folder, not a file");
  st.folder = st.target.has_parent_path() ? st.target.parent_path() : fs::path(".");

  RemoveStaleTemporaries(st.folder);

  for (int attempt = 0; attempt < 100 && st.fd < 0; ++attempt) {
    st.temp = st.folder / TemporaryName();
    st.fd = Checked(FileCall::Create,
                    [&] { return ::open(st.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
    if (st.fd < 0 && errno != EEXIST) {
      const int e = errno;
      st.temp.clear();
      return st.status = Failed("save", st.path, Reason(e));
    }
  }
  if (st.fd < 0) {
    st.temp.clear();
    return st.status = Failed("save", st.path, Reason(EEXIST));
  }
  st.guard.emplace(st.temp);
  st.phase = State::Phase::Open;

  // lstat: a link that is being replaced gives no permission bits to keep.
  struct stat old {};
  if (::lstat(st.target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(st.fd, old.st_mode & 07777) != 0) return st.GiveUp(errno);
  }
  return st.status;
}

FileStatus AtomicFileWriter::Append(std::string_view bytes) {
  State& st = *state_;
  if (st.phase != State::Phase::Open) return st.status.ok ? FileStatus{false, "Could not save: the file is not open."} : st.status;
  if (const int e = WriteAll(st.fd, bytes); e != 0) return st.GiveUp(e);
  return st.status;
}

FileStatus AtomicFileWriter::Commit() {
  State& st = *state_;
  if (st.phase != State::Phase::Open) return st.status.ok ? FileStatus{false, "Could not save: the file is not open."} : st.status;
  if (Checked(FileCall::Sync, [&] { return ::fsync(st.fd); }) != 0) return st.GiveUp(errno);
  int closed = ::close(st.fd);
  st.fd = -1;
  if (closed == 0) closed = Checked(FileCall::Close, [] { return 0; });
  if (closed != 0) return st.GiveUp(errno);
  if (Checked(FileCall::Rename, [&] { return ::rename(st.temp.c_str(), st.target.c_str()); }) != 0) {
    return st.GiveUp(errno);
  }
  st.temp.clear();
  st.guard.reset();
  st.phase = State::Phase::Done;

  // Make the rename itself durable. Best effort: the new content is already complete and in
  // place, so a failure here is no reason to report the save as failed.
  if (const int dir = ::open(st.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return st.status;
}

void AtomicFileWriter::Abandon() {
  State& st = *state_;
  if (st.phase != State::Phase::Open) return;
  st.RemoveTemporary();
  st.phase = State::Phase::Done;
}

FileStatus WriteFileAtomically(const fs::path& path, std::string_view bytes, LinkPolicy links) {
  AtomicFileWriter file(path, links);
  if (FileStatus s = file.Open(); !s) return s;
  if (FileStatus s = file.Append(bytes); !s) return s;
  return file.Commit();
}

FileStatus MakeFolderFor(const fs::path& file) {
  const fs::path folder = file.parent_path();
  if (folder.empty()) return {};
  std::error_code ec;
  if (const int e = InjectedError(FileCall::MakeFolder)) {
    ec.assign(e, std::generic_category());
  } else {
    fs::create_directories(folder, ec);
  }
  if (ec) return Failed("save", file, ec.message());
  return {};
}

void RemoveTemporaryFilesOnSignals() {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;  // ignored or handled
    struct sigaction act {};
    act.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&act.sa_mask);
    act.sa_flags = static_cast<int>(SA_RESETHAND);  // the flag is 0x80000000, an int's sign bit
    ::sigaction(sig, &act, nullptr);
  }
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
