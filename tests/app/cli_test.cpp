// The runner: its options, and the program as a user starts it, with and without a natal
// chart.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "app/cli_options.h"
#include "store/chart_file.h"
#include "store/settings_file.h"
#include "test_paths.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

// The runner as a user starts it: the program built beside the tests, its standard output
// and standard error kept apart (out, err), and its exit status.
struct Ran { int status; std::string out, err; };

std::string Cli() { return TestPath("TARNWICK_CLI"); }

Ran RunCli(const std::string& args) {
  const ScratchFolder scratch;
  const std::string command = Cli() + " " + args + " 2>" + (scratch / "err").string();
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  std::array<char, 4096> buf;
  for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) out.append(buf.data(), n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadBytes(scratch / "err")};
}

// `text` holds `part`; else the failure shows both.
::testing::AssertionResult Has(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

CliParse Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(cli_options, names_aliases_events_and_charts_set_their_fields_after_a_settings_file) {
  // Long names and aliases alike; every field not named keeps the initial settings.
  RunSettings want;
  want.txtStartDate = "01/01/2008";
  want.chkUseP3 = false;
  want.opt2_ghd = Centre::Helio;
  want.chkP1Planets = BodyList({0, 1, 2, 3, 15});
  using Args = std::vector<std::string>;
  for (const Args& args : {Args{"--txtStartDate", "01/01/2008", "--chkUseP3", "0", "--opt2_ghd", "h", "--chkP1Planets",
                                "0-3,Chiron", "--declination", "--no-save"},
                           Args{"-s", "01/01/2008", "--triple", "0", "--c2", "h", "-1", "Sun, moon,2,Venus,chiron",
                                "--declination", "--no-save"}}) {
    const CliParse p = Parse(args);
    ASSERT_EQ(p.status, CliParse::Status::Run) << p.text;
    EXPECT_EQ(p.options.settings, want);
    EXPECT_EQ(std::pair(p.options.kind, p.options.save), std::pair(ScanKind::Declination, false));
  }
  // A settings file first, then the options after it.
  ScratchFolder folder;
  RunSettings saved;
  saved.txtStartDate = "02/01/2009";
  saved.txtTZ = "-3";
  saved.chkUse_RA = true;
  ASSERT_TRUE(SaveSettingsFile(folder / "a.opt", saved));
  const CliParse with_file = Parse({"--settings", (folder / "a.opt").string(), "--tz", "0"});
  ASSERT_EQ(with_file.status, CliParse::Status::Run) << with_file.text;
  saved.txtTZ = "0";
  EXPECT_EQ(with_file.options.settings, saved);
  // The event options as they read; what they refuse: usage_errors_say_what_is_wrong.
  const CliParse events = Parse({"--events", "stations, voc", "--voc-bodies", "Sun,Venus-Mars", "--voc-aspects", "0,90,180"});
  ASSERT_EQ(events.status, CliParse::Status::Run) << events.text;
  const auto& e = events.options.events;
  EXPECT_TRUE(e.Has(EventKind::Station) && e.Has(EventKind::VoidOfCourse) && !e.Has(EventKind::Ingress) && !e.only);
  EXPECT_EQ(e.voc_bodies, BodyList({0, 3, 4}));
  EXPECT_EQ(e.voc_aspects, (std::vector<int>{0, 90, 180}));
  // A chart from --natal, for the centre n; what they refuse: usage_errors_say_what_is_wrong.
  const CliParse quick = Parse({"--natal", "06/15/1990 14:30", "--natal-tz", "Europe/Berlin", "--natal-place", "52N31,13E24",
                                "--c2", "n", "--opt3_ghd", "n"});
  ASSERT_EQ(quick.status, CliParse::Status::Run) << quick.text;
  EXPECT_EQ(quick.options.chart, (NatalChart{"", "06/15/1990", "14:30", "Europe/Berlin", "52N31,13E24"}));
  EXPECT_TRUE(quick.options.settings.opt2_ghd == Centre::Natal && quick.options.settings.opt3_ghd == Centre::Natal);
}

TEST(cli_options, usage_errors_say_what_is_wrong) {
  // (A body name that names no body: the runner's exit-code table.)
  struct Row { std::vector<std::string> args; const char* mentions; };
  const Row rows[] = {
      {{"--chkUseP3", "2"}, "chkUseP3"}, {{"--c1", "x"}, "opt1_ghd"}, {{"--p2", "9-3"}, "9-3"},
      {{"--p3", "28"}, "28"},            {{"--no-such-option"}, "no-such-option"},
      {{"--p1", "asc"}, "\"asc\" names no body"},
      {{"--p2", "Sun,mc"}, "P2 takes them only on the centre n (--c2 n"},
      {{"--threads", "0"}, "threads"},   {{"--start"}, "txtStartDate"},
      {{"--csv", ""}, "--csv: the file name is empty"},
      {{"--format", "docx"}, "--format"},
      {{"--aspects", "0,7"}, "--aspects: \"7\" is no aspect of the grid"},
      {{"--aspects", "major", "--declination"}, "--aspects: a declination run"},
      {{"--graph", "year.jpg"}, "--graph: \"year.jpg\" ends neither in .svg nor in .png"},
      {{"--graph", "y.svg", "--dial", "20"}, "--dial: 20 is no dial"},
      {{"--graph", "y.svg", "--graph-size", "1600"}, "--graph-size: \"1600\" is not a size"},
      {{"--graph", "y.png", "--graph-size", "100x900"}, "--graph-size: 100x900 is out of range"},
      {{"--dial", "15"}, "--dial: draws nothing without --graph"},
      // The events.
      {{"--events", "stations,retrogrades"}, "--events: \"retrogrades\" is no kind of event"},
      {{"--events-only"}, "--events-only: name the events to list with --events"},
      // The natal chart.
      {{"--c1", "n"}, "--opt1_ghd: n not in {g,h}"},
      {{"--natal", "06/15/1990"}, "needs a date and a local time"},
      {{"--natal", "06/15/1990 14:30"}, "--natal-tz"},
      {{"--natal", "06/31/1990 14:30", "--natal-tz", "0"}, "Birth date: \"06/31/1990\""},
      {{"--natal-tz", "0"}, "--natal-tz belongs to --natal"},
      {{"--natal-positions"}, "--natal-positions: give a chart"},
      {{"--chart", "a.chart", "--natal", "06/15/1990 14:30", "--natal-tz", "0"}, "use one of them"},
  };
  for (const Row& r : rows) {
    const CliParse p = Parse(r.args);
    EXPECT_TRUE(p.status == CliParse::Status::UsageError && Has(p.text, r.mentions)) << r.args[0] << ": " << p.text;
  }
  const CliParse help = Parse({"--help"});
  EXPECT_TRUE(help.status == CliParse::Status::Help && Has(help.text, "Example")) << help.text;
}

// ---- The runner as a user starts it --------------------------------------------------------

// The report goes to standard output and, unless --no-save, into the data folder; refusals
// and notices go to standard error. Exit 0 when done, 1 when the inputs, the settings file or
// the saving failed (the report is still printed, unless --output was to take it), 2 on a
// usage error. A file that cannot be written is named with the reason. Control characters in a
// settings file or on the command line reach the terminal written out, never raw (ESC [31m
// would colour it, BEL ring it).
TEST(runner, exit_codes_output_and_saved_reports) {
  ScratchFolder folder;
  WriteBytes(folder / "file", "x");
  RunSettings hostile;
  hostile.txtTZ = "5\x1b[31m\x07";
  ASSERT_TRUE(SaveSettingsFile(folder / "hostile.opt", hostile));
  const std::string dir = " --data-dir " + folder.path().string();
  const std::string bodies = " --triple 0 --p1 0-9 --p2 0-9";
  const std::string decl = "12012007_12022007_5_decl_gg_mp_15_noRA_geoDecl.txt";
  const std::filesystem::path blocked = folder / "file" / "data";  // a folder under a file
  const std::filesystem::path unsaved = blocked / "12012007_12022007_5_3.0_15.0_gg_mp_15_noRA.txt";
  const std::string missing = (folder / "no such folder" / "a").string();  // for --output
  const std::string two_days = "--no-save --start 12/01/2007 --end 12/02/2007" + bodies;
  // report: printed on standard output; says: on standard error.
  struct Row { std::string args; int status; bool report; std::string says; };
  const Row rows[] = {
      {"--start 13/01/2007" + dir, 1, false,
       "Start Date: \"13/01/2007\" is not a valid date in the order month/day/year."},
      {"--settings /nonexistent/x.opt" + dir, 1, false, "/nonexistent/x.opt"},
      {"--p1 Sun,Foo" + dir, 2, false, "\"Foo\" names no body"},
      {"--no-save --settings " + (folder / "hostile.opt").string(), 1, false,
       "Time Zone: \"5\\x1b[31m\\x07\" is not a number of hours"},
      {"--p1 'Sun,\x1b[2J'", 2, false, "\"\\x1b[2J\" names no body"},
      {"--start 12/01/2007 --end 12/02/2007" + bodies + " --data-dir " + blocked.string(), 1, true,
       "Could not save \"" + unsaved.string() + "\": Not a directory"},
      // Before 1800 the library's analytic ephemeris, with its note.
      {"--no-save --start 01/01/1750 --end 01/02/1750" + bodies + dir, 0, true, "analytic Moshier ephemeris"},
      {two_days + " --format ics --output '" + missing + "'", 1, false, "\"" + missing + "\": No such file or directory"},
      {"--declination --start 12/01/2007 --end 12/02/2007" + bodies + dir, 0, true,
       "Saved " + (folder / decl).string()},
  };
  std::string printed;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.args);
    const Ran ran = RunCli(r.args);
    EXPECT_EQ(ran.status, r.status) << ran.err;
    EXPECT_EQ(ran.out.find(std::string(50, '-')) != std::string::npos, r.report) << ran.out;
    EXPECT_TRUE(Has(ran.err, r.says));
    EXPECT_EQ(ran.err.find_first_of("\x1b\x07"), std::string::npos) << ran.err;
    printed = ran.out;
  }
  // Only the last run saved its report, as it printed it; no file or folder is left where one
  // could not be written.
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{decl, "file", "hostile.opt"}));
  EXPECT_EQ(ReadBytes(folder / decl), printed);
}

// --graph draws the run without a display, beside the printed report, in the format its name
// asks for. What the picture holds, and a picture that cannot be saved: graph_test
// (graph_picture).
TEST(runner, graph_file_of_the_run) {
  ScratchFolder folder;
  const std::string run = "--no-save --start 12/01/2007 --end 12/10/2007 --triple 0 --p1 0-6 --p2 0-6";
  for (const auto& [file, options, begins] : {std::tuple{"g.svg", "", "<?xml"},
                                              std::tuple{"g.png", " --dial 360 --graph-size 800x500", "\x89PNG"}}) {
    SCOPED_TRACE(file);
    const Ran ran = RunCli(run + options + " --graph " + (folder / file).string());
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(Has(ran.err, "Saved " + (folder / file).string()));
    EXPECT_TRUE(Has(ran.out, std::string(50, '-')));
    EXPECT_TRUE(ReadBytes(folder / file).starts_with(begins));
  }
}

// --aspects reaches the run: every line is of the set (two bodies: the code ends the line) and
// the report is named after the set. That the lines are exactly the full run's lines of the
// set: report_test (aspect_set_run); the set in a settings file: store_test (settings_file).
TEST(runner, aspect_set_from_the_option) {
  ScratchFolder folder;
  const std::string run = "--start 01/01/2007 --end 02/28/2007 --triple 0 --p1 0-4 --p2 2-9 --data-dir " +
                          folder.path().string();
  const Ran chosen = RunCli(run + " --aspects 90,45");
  ASSERT_EQ(chosen.status, 0) << chosen.err;
  ASSERT_FALSE(ReportLinesOf(chosen.out).empty());
  for (const std::string& line : ReportLinesOf(chosen.out)) EXPECT_TRUE(line.ends_with("045") || line.ends_with("090")) << line;
  EXPECT_TRUE(Has(chosen.err, "Saved " + (folder / "01012007_02282007_5_3.0_15.0_gg_mp_15_noRA_aspects_45-90.txt").string()));
}

// Standard output that cannot take the report (a full disk; /dev/full says so at every
// write): the runner says so and exits 1, so that a script never takes a cut-off report for a
// whole one. Each kind of output: the report, the table of positions, the help text.
TEST(runner, lost_standard_output_is_an_error) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  const ScratchFolder folder;
  for (const std::string args : {"--no-save --start 12/01/2007 --end 12/02/2007 --triple 0 --p1 0-9 --p2 0-9",
                                 "--bodies --start 12/01/2007", "--help"}) {
    SCOPED_TRACE(args);
    const int status = std::system((Cli() + " " + args + " >/dev/full 2>" + (folder / "err").string()).c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_TRUE(Has(ReadBytes(folder / "err"), "tarnwick-cli: could not write to standard output: No space left on device\n"));
  }
}

// Before the files' first year the planets come from the library's analytic ephemeris: the
// table of positions says so on each line it concerns.
TEST(runner, body_table_notes_the_analytic_ephemeris) {
  const Ran ran = RunCli("--bodies --start 01/01/1750");
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_TRUE(std::regex_search(ran.out, std::regex("\n0   Sun [^\n]*\\(SwissEph file 'sepl_12\\.se1' not found in PATH"
                                                   "[^\n]*using Moshier eph\\.\\)\n"))) << ran.out;
}

// A six-century run stopped once its first report lines are out, by a signal or by a reader
// that goes away (`| head`): the lines came long before the end, and neither a report nor a
// temporary file is left in the data folder.
TEST(runner, a_run_stopped_mid_way_leaves_no_report_file) {
  for (const int sig : {SIGTERM, SIGINT, SIGPIPE}) {
    SCOPED_TRACE(sig);
    ScratchFolder folder;
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      if (!std::freopen("/dev/null", "w", stderr)) _exit(127);
      ::execl(Cli().c_str(), Cli().c_str(), "--data-dir", folder.path().c_str(), "--start", "01/01/1800",
              "--end", "12/31/2399", "--triple", "0", "--p1", "0-9", "--p2", "0-9", "--threads", "1",
              static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(out[1]);
    char buffer[512];
    ASSERT_GT(::read(out[0], buffer, sizeof buffer), 0);  // the first lines of the report
    EXPECT_EQ(folder.Entries().size(), 1u);                // the report's temporary file
    if (sig == SIGPIPE) ::close(out[0]);  // the next lines find no reader
    else ::kill(pid, sig);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (sig != SIGPIPE) ::close(out[0]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_TRUE(folder.Entries().empty());
  }
}

// --csv writes the rows beside the report, --format picks what is written and --output where:
// the report as today when none is given; another format or a file leaves the saved report as
// it is. (A file that cannot be written: exit_codes_output_and_saved_reports, with --output;
// every way a write fails: store_test, atomic_file.)
TEST(runner, csv_format_and_output_choose_what_goes_where) {
  ScratchFolder folder;
  const std::string run = "--start 12/01/2007 --end 12/02/2007 --triple 0 --p1 0-9 --p2 0-9 --data-dir " +
                          (folder / "data").string();
  const Ran plain = RunCli(run);
  ASSERT_EQ(plain.status, 0) << plain.err;
  const std::filesystem::path report = folder / "data" / "12012007_12022007_5_3.0_15.0_gg_mp_15_noRA.txt";
  ASSERT_EQ(ReadBytes(report), plain.out);

  const std::filesystem::path csv = folder / "rows.csv";
  const Ran with_csv = RunCli(run + " --csv " + csv.string());
  EXPECT_EQ(std::pair(with_csv.status, with_csv.out), std::pair(0, plain.out)) << with_csv.err;
  EXPECT_TRUE(Has(with_csv.err, "Saved " + csv.string()));
  // One record per report line, and the header.
  EXPECT_EQ(SplitLines(ReadBytes(csv)).size(), ReportLinesOf(plain.out).size() + 1);

  struct Row { const char* args; const char* begins; };
  for (const Row& r : {Row{" --format txt", "\r\n"}, Row{" --format csv", "kind,p1,p1_centre,"},
                       Row{" --format ics", "BEGIN:VCALENDAR\r\n"}, Row{" --format pdf", "%PDF-"}}) {
    SCOPED_TRACE(r.args);
    const Ran to_stdout = RunCli(run + r.args);
    EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
    EXPECT_TRUE(to_stdout.out.starts_with(r.begins)) << to_stdout.out.substr(0, 40);
    const std::filesystem::path file = folder / "out";
    const Ran to_file = RunCli(run + r.args + " --output " + file.string());
    EXPECT_EQ(std::pair(to_file.status, to_file.out), std::pair(0, std::string())) << to_file.err;
    EXPECT_TRUE(ReadBytes(file).starts_with(r.begins));
    // The same bytes but for the moment each was made (the calendar's DTSTAMP, the PDF's run
    // date and creation time).
    const std::regex stamp("DTSTAMP:[^\n]*");
    if (std::string(r.args) != " --format pdf") {
      EXPECT_EQ(std::regex_replace(ReadBytes(file), stamp, ""), std::regex_replace(to_stdout.out, stamp, ""));
    }
    EXPECT_EQ(ReadBytes(report), plain.out);
  }
  EXPECT_EQ(RunCli(run + " --format txt").out, plain.out);
}

// The PDF holds the header of what was searched and every report line, as pdftotext reads
// them back (blanks squeezed: a PDF keeps no spaces as such).
TEST(runner, pdf_holds_the_header_and_every_report_line) {
  if (std::system("pdftotext -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  ScratchFolder folder;
  // A month of the Moon: several pages.
  const std::string run = "--no-save --start 12/01/2007 --end 12/31/2007 --triple 0 --p1 0-9 --p2 0-9 --tz Europe/Berlin";
  const Ran report = RunCli(run);
  ASSERT_EQ(report.status, 0) << report.err;
  const std::filesystem::path pdf = folder / "r.pdf";
  ASSERT_EQ(RunCli(run + " --format pdf --output " + pdf.string()).status, 0);
  const std::string txt = (folder / "r.txt").string();
  ASSERT_EQ(std::system(("pdftotext -layout " + pdf.string() + " " + txt).c_str()), 0);
  const auto squeeze = [](std::string s) {
    std::erase(s, '\r');
    return std::regex_replace(std::regex_replace(s, std::regex("[ \f]+"), " "), std::regex(" ?\n ?"), "\n");
  };
  const std::string text = squeeze(ReadBytes(txt));
  const std::vector<std::string> lines = ReportLinesOf(report.out);
  size_t from = 0;
  for (const std::string& line : lines) {
    // In order: each line after the one before.
    const size_t at = text.find(squeeze(line) + "\n", from);
    ASSERT_NE(at, std::string::npos) << "missing: " << line;
    from = at;
  }
  EXPECT_GT(lines.size(), 100u);
  for (const std::string header : {"Run: longitude aspectarian, two bodies", "Span: 12/01/2007 to 12/31/2007",
                                   "Time zone: Europe/Berlin", "P1: geocentric: Sun, Moon, Mercury",
                                   "Grid: 15 degrees", "Page 1 of ", "Run on "})
    EXPECT_TRUE(Has(text, header));
  EXPECT_EQ(text.find("Page 2 of 1"), std::string::npos);
}

// A calendar of events alone, as a user asks for it, with its CSV. The eclipse's moment:
// engine_test (eclipses_match_the_published_canon); its line: report_test (event_lines).
TEST(cli_events, a_calendar_of_eclipses_with_its_csv) {
  ScratchFolder folder;
  const std::string csv = (folder / "april.csv").string();
  const Ran ran = RunCli("--start 04/01/2024 --end 04/30/2024 --tz 0 --events lunations,eclipses "
                         "--events-only --data-dir " + folder.path().string() + " --csv " + csv);
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_TRUE(Has(ran.out, "  total solar eclipse, greatest\r\n"));
  EXPECT_EQ(ReadBytes(folder / "04012024_04302024_0_events_g.txt"), ran.out);
  EXPECT_TRUE(Has(ReadBytes(csv), "\r\nevent: eclipse,Sun,geocentric,,,,,2024-04-08T18:17+00:00,"));
}

// A chart file's transits: rows read "n. Sun", the name carries "n", and without a chart
// the centre n is refused before anything runs.
TEST(cli_natal, chart_file_run_reports_natal_rows) {
  ScratchFolder folder;
  ASSERT_TRUE(SaveChartFile(folder / "t.chart", {"Test", "03/18/1990", "12:00", "0", "52N31 13E24"}));
  const std::string span = " --start 01/01/2025 --end 12/31/2025 --tz 0 --triple 0 --p1 Saturn --p2 Sun --c2 n";
  const std::string t_chart = "--chart " + (folder / "t.chart").string();
  const Ran ran = RunCli(t_chart + span + " --data-dir " + folder.path().string() + " --summary " + (folder / "s.txt").string());
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_TRUE(Has(ran.out, "g. Saturn   n. Sun"));
  EXPECT_TRUE(std::filesystem::exists(folder / "01012025_12312025_0_3.0_15.0_gn_mp_15_noRA.txt")) << ran.err;
  EXPECT_TRUE(Has(ReadBytes(folder / "s.txt"), "natal (chart Test): Sun"));

  // The exports carry the chart's name: the CSV in a last column (left empty by an event),
  // the calendar in each summary and in its own name.
  const std::string chart = "--no-save " + t_chart + span;
  const Ran csv = RunCli(chart + " --format csv --events stations");
  ASSERT_EQ(csv.status, 0) << csv.err;
  for (const char* part : {",aspect3_name,chart\r\n", ",Test\r\n", "event: station"}) EXPECT_TRUE(Has(csv.out, part));
  const std::vector<std::string> records = SplitLines(csv.out);
  for (const std::string& record : records)
    EXPECT_EQ(std::count(record.begin(), record.end(), ','), std::count(records[0].begin(), records[0].end(), ',')) << record;
  // A run on g and h with a chart given exports as one without it.
  const Ran moving = RunCli("--no-save " + t_chart + " --start 01/01/2025 --end 12/31/2025 --tz 0 --triple 0 --p1 Sun --p2 Saturn --format csv");
  ASSERT_EQ(moving.status, 0) << moving.err;
  EXPECT_TRUE(Has(moving.out, ",aspect3_name\r\n"));
  const Ran ics = RunCli(chart + " --format ics");
  ASSERT_EQ(ics.status, 0) << ics.err;
  EXPECT_TRUE(Has(ics.out, "SUMMARY:Saturn 0\u00B0 Sun (natal\\, Test)"));
  // A long line goes on after a line end and a blank.
  EXPECT_TRUE(Has(std::regex_replace(ics.out, std::regex("\r\n "), ""),
                  "X-WR-CALNAME:Tarnwick longitude 01/01/2025 to 12/31/2025, time zone 0, chart Test"));
  // No chart, or one that does not read.
  for (const auto& [args, says] : {std::pair<std::string, std::string>{"--no-save" + span, "P2 centre: \"n\" (natal) needs a natal chart"},
                                   {"--chart " + (folder / "missing.chart").string() + span, "missing.chart"}}) {
    const Ran refused = RunCli(args);
    EXPECT_TRUE(refused.status == 1 && Has(refused.err, says)) << refused.status << " " << refused.err;
  }

  // The chart's positions: engine_test (natal_chart, against swetest).
  const Ran table = RunCli(t_chart + " --natal-positions");
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_TRUE(Has(table.out, "Natal chart Test: 03/18/1990 12:00 0 = 03/18/1990 12:00 UT"));
  // The angles with their declinations (sin d = sin e sin l for a point of the ecliptic).
  EXPECT_TRUE(std::regex_search(table.out, std::regex("\nAscendant Leo[^\n]*19 N 16"))) << table.out;
}

}  // namespace
}  // namespace tarnwick
