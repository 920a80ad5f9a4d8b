// tarnwick-bench: times whole runs of the scenarios below, the plain way (one thread, every
// window searched, every position computed afresh) against the optimised way (every core,
// positions remembered within a stretch of the span, windows that provably hold nothing
// passed over), and checks that both give the same report.
//
//   tarnwick-bench [S1 S2 ...] [--threads N] [--cli PATH]
//
// S6, measured only when named, is the runner over six centuries, its report read as it comes.
//
// Each measurement runs in a child process, so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/run_command.h"

using namespace tarnwick;

namespace {

struct Scenario {
  const char* id;
  const char* what;
  ScanKind kind;
  std::function<void(RunSettings&)> setup;
};

BodySelection Bodies(std::initializer_list<int> list) {
  BodySelection s{};
  for (const int b : list) s[b] = true;
  return s;
}

const BodySelection kSunToPluto = Bodies({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
const BodySelection kNineteen = Bodies({0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20});

void TwoBodySunToPluto(RunSettings& s) {
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = kSunToPluto;
  s.txtStartDate = "01/01/2008";
  s.txtEndDate = "12/31/2008";
}

const Scenario kScenarios[] = {
    {"S1", "initial settings: Dec 2007, 7 bodies per role, triple, midpoints, 15", ScanKind::Longitude,
     [](RunSettings&) {}},
    {"S2", "Sun to Pluto and the Moon, two bodies, 15, 2008", ScanKind::Longitude, TwoBodySunToPluto},
    {"S3", "19 bodies in every role, triple, all centres, 2008", ScanKind::Longitude,
     [](RunSettings& s) {
       s.chkP1Planets = s.chkP2Planets = s.chkP3Planets = kNineteen;
       s.chkAutoCalc = true;
       s.txtStartDate = "01/01/2008";
       s.txtEndDate = "12/31/2008";
     }},
    {"S4", "Sun to Pluto, two bodies, all centres, 2000-2009, declination", ScanKind::Declination,
     [](RunSettings& s) {
       TwoBodySunToPluto(s);
       s.chkAutoCalc = true;
       s.txtStartDate = "01/01/2000";
       s.txtEndDate = "12/31/2009";
     }},
    {"S5", "Sun to Pluto and the Moon, two bodies, geocentric, 15, 2008", ScanKind::Longitude,
     TwoBodySunToPluto},
};

struct Measured {
  double seconds = 0;
  long rows = 0;
  long long calls = 0;  // swe_calc + swe_deltat
  long peak_kib = 0;
  unsigned long long report_hash = 0;
};

// The counts stay far below 2^53, so that they convert to double exactly.
double CallsPerRow(const Measured& m) {
  return m.rows ? static_cast<double>(m.calls) / static_cast<double>(m.rows) : 0.0;
}
double Mebibytes(long kib) { return static_cast<double>(kib) / 1024.0; }

// Runs one scenario in a child process and reads back what it measured.
Measured MeasureInChild(const Scenario& sc, int threads, bool cache) {
  int fd[2];
  if (pipe(fd) != 0) std::exit(1);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    RunRequest request;
    request.kind = sc.kind;
    sc.setup(request.settings);
    request.save = false;
    request.options.threads = threads;
    request.options.cache = request.options.skip = cache;
    const std::string path = EphemerisSearchPath(ProgramFolder());
    const auto t0 = std::chrono::steady_clock::now();
    const RunOutcome out = RunAspectarian(request, [&] { return std::make_unique<SwissEphemeris>(path); });
    Measured m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    m.rows = static_cast<long>(out.rows.size());
    const EphemerisCallCount calls = SwissEphemeris::FinishedCallCount();
    m.calls = calls.calc + calls.deltat;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    m.peak_kib = usage.ru_maxrss;
    m.report_hash = std::hash<std::string>{}(out.pane_text);
    if (write(fd[1], &m, sizeof m) != sizeof m) _exit(1);
    _exit(0);
  }
  close(fd[1]);
  Measured m;
  if (read(fd[0], &m, sizeof m) != sizeof m) std::fprintf(stderr, "%s: the measurement failed\n", sc.id);
  close(fd[0]);
  waitpid(pid, nullptr, 0);
  return m;
}

// Wall time of a whole tarnwick-cli process, best of five.
double TimeCliProcess(const std::string& cli, const std::string& args) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system((cli + " " + args + " > /dev/null 2>&1").c_str()) != 0) return -1;
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

// A whole tarnwick-cli process whose report is read as it comes: wall time, time to the first
// byte of the report on standard output, and the process's peak memory.
struct Streamed {
  double seconds = -1;
  double first_row = -1;
  long peak_kib = 0;
  long long bytes = 0;
};

Streamed MeasureCliStream(const std::string& cli, std::vector<std::string> args) {
  Streamed out;
  char folder[] = "/tmp/tarnwick-bench-XXXXXX";
  if (!mkdtemp(folder)) return out;
  args.insert(args.begin(), {cli, "--data-dir", folder});
  int fd[2];
  if (pipe(fd) != 0) return out;
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fd[1], STDOUT_FILENO);
    close(fd[0]);
    close(fd[1]);
    if (std::FILE* null = std::freopen("/dev/null", "w", stderr); !null) _exit(127);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fd[1]);
  char buffer[65536];
  for (ssize_t n; (n = read(fd[0], buffer, sizeof buffer)) > 0;) {
    if (out.bytes == 0) out.first_row = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.bytes += n;
  }
  close(fd[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  out.peak_kib = usage.ru_maxrss;
  std::system((std::string("rm -rf ") + folder).c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out.seconds = -1;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> wanted;
  int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::string cli = (ProgramFolder() / "tarnwick-cli").string();
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--threads") && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--cli") && i + 1 < argc) {
      cli = argv[++i];
    } else {
      wanted.push_back(argv[i]);
    }
  }
  std::printf("| scenario | run | wall (s) | rows | ephemeris calls | calls per row | peak memory (MiB) | same report |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  int failures = 0;
  for (const Scenario& sc : kScenarios) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), sc.id) == wanted.end()) continue;
    const Measured plain = MeasureInChild(sc, 1, false);
    const Measured one = MeasureInChild(sc, 1, true);
    const Measured fast = MeasureInChild(sc, threads, true);
    const bool same = plain.report_hash == fast.report_hash && plain.rows == fast.rows &&
                      one.report_hash == fast.report_hash;
    failures += !same;
    const auto row = [&](const char* how, const Measured& m) {
      std::printf("| %s | %s | %.2f | %ld | %lld | %.0f | %.0f | %s |\n", sc.id, how, m.seconds, m.rows,
                  m.calls, CallsPerRow(m), Mebibytes(m.peak_kib),
                  same ? "yes" : "NO");
    };
    row("plain (1 thread, no cache, no skips)", plain);
    row("optimised, 1 thread", one);
    char how[64];
    std::snprintf(how, sizeof how, "optimised, %d threads", threads);
    row(how, fast);
    std::printf("| %s | speed-up | plain / optimised %.1fx, from the cores alone %.2fx, calls per row %.1fx fewer | | | | | |\n",
                sc.id, plain.seconds / fast.seconds, one.seconds / fast.seconds,
                CallsPerRow(plain) / (fast.rows ? CallsPerRow(fast) : 1.0));
    std::fflush(stdout);
  }
  if (wanted.empty() || std::find(wanted.begin(), wanted.end(), "S5") != wanted.end()) {
    const double s5 = TimeCliProcess(cli, "--threads 1 --no-save --start 01/01/2008 --end 12/31/2008 "
                                          "--triple 0 --p1 0-9 --p2 0-9");
    std::printf("\nS5 as a whole process, tarnwick-cli --threads 1 (best of 5): %.3f s\n", s5);
  }
  if (std::find(wanted.begin(), wanted.end(), "S6") != wanted.end()) {
    // Six centuries of Sun to Pluto, two bodies: about two million report lines, saved.
    const Streamed s6 = MeasureCliStream(cli, {"--start", "01/01/1800", "--end", "12/31/2399", "--triple",
                                               "0", "--p1", "0-9", "--p2", "0-9", "--threads",
                                               std::to_string(threads)});
    std::printf("\nS6 (Sun to Pluto, two bodies, 1800-2399, %d threads, saved) as a whole process: "
                "%.1f s, first report line after %.2f s, peak memory %.0f MiB, %lld bytes of report\n",
                threads, s6.seconds, s6.first_row, Mebibytes(s6.peak_kib), s6.bytes);
  }
  return failures ? 1 : 0;
}
