#include "app/cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <system_error>

#include "core/message_text.h"
#include "engine/aspect_set.h"
#include "engine/body_list.h"
#include "store/chart_file.h"
#include "store/settings_file.h"

namespace tarnwick {

namespace {

// Short aliases of the switches, in the order of kCheckFields.
constexpr const char* kCheckAliases[] = {"--triple",      "--all-centres", "--midpoints",
                                         "--near",        "--grid15",      "--ra",
                                         "--geolat",      "--time-window", "--mp-only"};
constexpr const char* kTextAliases[] = {"-s,--start", "-e,--end",  "-z,--tz", "--orb1",
                                        "--orb2",     "--from",    "--to"};
constexpr const char* kBodyAliases[] = {"-1,--p1", "-2,--p2", "-3,--p3"};
constexpr const char* kCentreAliases[] = {"--c1", "--c2", "--c3"};

const char* kExample =
    "Examples:\n"
    "  tarnwick-cli                      the initial settings: December 2007, triple aspects\n"
    "  tarnwick-cli --declination --start 01/01/2008 --end 06/30/2008 --triple 0 \\\n"
    "               --p1 0-9 --p2 0-9     parallels of Sun to Pluto, first half of 2008\n"
    "  tarnwick-cli --settings my.opt --c1 h --no-save   a saved set of inputs, P1 heliocentric\n"
    "  tarnwick-cli --start 01/01/2024 --end 12/31/2024 --p1 0-9 --events all --events-only\n"
    "                                    a calendar of 2024: stations, ingresses, lunations,\n"
    "                                    eclipses, out of bounds, void-of-course Moon\n"
    "  tarnwick-cli --natal \"06/15/1990 14:30\" --natal-tz Europe/Berlin --triple 0 \\\n"
    "               --start 01/01/2025 --end 12/31/2025 --p1 5-9 --p2 0-9 --c2 n\n"
    "                                    transits of Jupiter to Pluto to a natal chart in 2025\n"
    "Exit status: 0 done, 1 the run could not start, its report or CSV file could not be saved or "
    "standard output could not be written, 2 a usage error.\n";

// The dials the graph folds longitudes onto, degrees.
bool IsGraphDialDegrees(int degrees) {
  return degrees == 360 || degrees == 90 || degrees == 45 || degrees == 30 || degrees == 15;
}

// "WxH" in pixels, each 200..20000 (a picture smaller shows nothing readable; one larger
// takes gigabytes as an image), or the problem naming the option.
std::optional<std::pair<int, int>> ParseGraphSize(std::string_view text, std::string& problem) {
  const auto read = [](std::string_view part, int& value) {
    if (part.empty() || part.size() > 6) return false;
    const auto r = std::from_chars(part.data(), part.data() + part.size(), value);
    return r.ec == std::errc() && r.ptr == part.data() + part.size();
  };
  const std::size_t x = text.find_first_of("xX");
  int w = 0, h = 0;
  if (x == std::string_view::npos || !read(text.substr(0, x), w) || !read(text.substr(x + 1), h)) {
    problem = "--graph-size: " + Quoted(text) + " is not a size; give width x height in pixels, such as 1600x900";
    return std::nullopt;
  }
  if (w < 200 || h < 200 || w > 20000 || h > 20000) {
    problem = "--graph-size: " + std::to_string(w) + "x" + std::to_string(h) +
              " is out of range; width and height are each 200 to 20000 pixels";
    return std::nullopt;
  }
  return std::pair{w, h};
}

}  // namespace


CliParse ParseCommandLine(const std::vector<std::string>& args) {
  CliParse result;
  CliOptions& o = result.options;

  CLI::App app{"Tarnwick without a display: computes a longitude or declination aspectarian, "
               "prints it and saves the report file.\nSettings start from the program's "
               "initial values, then the settings file (--settings), then the options below.",
               "tarnwick-cli"};
  app.footer(kExample);
  app.set_help_flag("-h,--help", "Print this help and exit");

  std::string settings_file, data_dir, csv_file;
  bool declination = false, no_save = false, plain = false;
  app.add_option("--settings", settings_file, "Settings file (.opt) to start from")->type_name("FILE");
  app.add_flag("--declination", declination, "Declination run (default: longitude run)");
  app.add_option("--data-dir", data_dir, "Folder for the report file (default: the program's data folder)")
      ->type_name("DIR");
  app.add_flag("--no-save", no_save, "Print the report only; save no file");
  app.add_option("--csv", csv_file,
                 "Also write the found rows as CSV to this file (one row per report line)")
      ->type_name("FILE");
  // What is written and where: the report, or the found rows in another format.
  std::string output;
  app.add_option("--format", o.format,
                 "What to write: txt (the report, as saved), csv (the found rows), ics (a "
                 "calendar, one event per row) or pdf (the report on pages with a header)")
      ->check(CLI::IsMember({"txt", "csv", "ics", "pdf"}))
      ->type_name("txt|csv|ics|pdf");
  app.add_option("--output,-o", output,
                 "Write it to this file instead of standard output (replaced whole or not at all)")
      ->type_name("FILE");

  app.add_option("--threads", o.threads, "Worker threads (default: one per core)")
      ->check(CLI::Range(1, 256));
  app.add_flag("--plain", plain,
               "Search every window and compute every position afresh (for measurements; "
               "the report is the same)");
  app.add_flag("--bodies", o.bodies_table,
               "Print the positions of all 26 bodies at the start of the span and exit");

  // The readable results: a set of aspects to list, and the run summary as a file of its own.
  std::string aspect_set, summary_file;
  app.add_option("--aspects", aspect_set,
                 "Longitude runs: list only these aspects, 'major' (0,60,90,120,180), 'hard' "
                 "(0,45,90,135,180), 'all', or degrees such as 0,90,180 (the search still finds "
                 "every aspect; the report's name ends in _aspects_SET)")
      ->type_name("SET");
  app.add_option("--summary", summary_file,
                 "Also write the run summary (span, zone, bodies, grid, aspects, orbs, "
                 "ephemeris sources, rows) to this text file")
      ->type_name("FILE");
  // Sky events, merged into the report.
  std::string events_list, voc_bodies, voc_aspects;
  bool events_only = false;
  app.add_option("--events", events_list,
                 "Also list sky events of the P1 bodies: stations, ingresses, lunations, eclipses, "
                 "oob (out of bounds), voc (void-of-course Moon), comma-separated, or 'all'")
      ->type_name("LIST");
  app.add_flag("--events-only", events_only,
               "A calendar of the events alone, without aspects (needs --events)");
  app.add_option("--voc-bodies", voc_bodies,
                 "Bodies whose aspects end the void-of-course Moon (default: Sun to Pluto)")
      ->type_name("LIST");
  app.add_option("--voc-aspects", voc_aspects,
                 "Angles that count for the void-of-course Moon, degrees 0-180 "
                 "(default: 0,60,90,120,180)")
      ->type_name("LIST");

  // Runs too large for the disk or the memory.
  app.add_flag("--force", o.force,
               "Run even when the estimated report would not fit on the disk or in memory");

  // A natal chart for the centre "n" of P2 and P3: from a chart file, or typed here.
  std::string chart_file, natal_moment, natal_tz, natal_place, natal_name;
  app.add_option("--chart", chart_file,
                 "Natal chart file (key=value lines: name, date, time, zone, place) whose "
                 "points the centre n of P2 and P3 takes")
      ->type_name("FILE");
  app.add_option("--natal", natal_moment,
                 "A natal chart without a file: birth date and local time \"MM/DD/YYYY HH:MM\" "
                 "(needs --natal-tz)")
      ->type_name("\"MM/DD/YYYY HH:MM\"");
  app.add_option("--natal-tz", natal_tz,
                 "Time zone of the birth time: hours positive west (5) or a zone name "
                 "(America/New_York)")
      ->type_name("TZ");
  app.add_option("--natal-place", natal_place,
                 "Birth place, latitude,longitude: 52N31,13E24 or 52.52,13.4 (north and east "
                 "positive); adds the Ascendant and Midheaven to --natal-positions")
      ->type_name("LAT,LON");
  app.add_option("--natal-name", natal_name, "Name of the --natal chart, for the report's summary")
      ->type_name("NAME");
  app.add_flag("--natal-positions", o.natal_table,
               "Print the natal chart's positions (of --chart or --natal) and exit");
  // The graphic ephemeris of the run as a picture.
  std::string graph_file, graph_size;
  app.add_option("--graph", graph_file,
                 "Also draw the graphic ephemeris of the run (the bodies' lines, a marker per "
                 "row) into this .svg or .png file")
      ->type_name("FILE");
  app.add_option("--dial", o.graph_dial,
                 "Dial of the graph's longitudes: 360, 90, 45, 30 or 15 degrees (default: the "
                 "run's grid)")
      ->type_name("360|90|45|30|15");
  app.add_option("--graph-size", graph_size, "Size of the graph in pixels (default 1600x900)")
      ->type_name("WxH");

  // Values as typed, applied after the settings file in a fixed order.
  std::map<std::string, std::string> texts, bodies, centres, checks;
  for (size_t i = 0; i < kTextFields.size(); ++i) {
    const std::string name(kTextFields[i].name);
    app.add_option("--" + name + "," + kTextAliases[i], texts[name],
                   std::string(kTextFields[i].label) + " text, as typed in the window")
        ->type_name("TEXT");
  }
  for (size_t i = 0; i < kRoleFields.size(); ++i) {
    const std::string name(kRoleFields[i].selection_name);
    app.add_option("--" + name + "," + kBodyAliases[i], bodies[name],
                   "Bodies allowed as " + std::string(kRoleFields[i].header) +
                       ": indices or names, ranges, 'all' or 'none' (e.g. 0-9,Chiron)" +
                       (i == 0 ? std::string()
                               : "; with centre n and a chart with a place also the angles "
                                 "asc (26) and mc (27)"))
        ->type_name("LIST");
    const std::string centre(kRoleFields[i].centre_name);
    if (i == 0) {
      app.add_option("--" + centre + "," + kCentreAliases[i], centres[centre],
                     "Centre of " + std::string(kRoleFields[i].header) + ": g or h")
          ->check(CLI::IsMember({"g", "h"}));
    } else {
      app.add_option("--" + centre + "," + kCentreAliases[i], centres[centre],
                     "Centre of " + std::string(kRoleFields[i].header) +
                         ": g, h or n (the natal points of --chart or --natal)")
          ->check(CLI::IsMember({"g", "h", "n"}));
    }
  }
  for (size_t i = 0; i < kCheckFields.size(); ++i) {
    const std::string name(kCheckFields[i].name);
    app.add_option("--" + name + "," + kCheckAliases[i], checks[name],
                   "\"" + std::string(kCheckFields[i].caption) + "\"")
        ->check(CLI::IsMember({"0", "1"}))
        ->type_name("0|1");
  }

  // CLI11 wants argv order reversed in a vector.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    result.status = CliParse::Status::Help;
    result.text = app.help();
    return result;
  } catch (const CLI::ParseError& e) {
    result.status = CliParse::Status::UsageError;
    result.text = EscapeControls(e.what());
    return result;
  }

  o.kind = declination ? ScanKind::Declination : ScanKind::Longitude;
  o.save = !no_save;
  o.plain = plain;
  if (!data_dir.empty()) o.data_dir = data_dir;
  if (app.count("--csv") > 0) {
    if (csv_file.empty()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--csv: the file name is empty";
      return result;
    }
    o.csv_file = csv_file;
  }
  if (app.count("--summary") > 0) {
    if (summary_file.empty()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--summary: the file name is empty";
      return result;
    }
    o.summary_file = summary_file;
  }

  if (app.count("--events") > 0) {
    std::string bad;
    const std::optional<EventChoice> choice = ParseEventList(events_list, &bad);
    if (!choice) {
      result.status = CliParse::Status::UsageError;
      result.text = "--events: " + Quoted(bad) +
                    " is no kind of event (use stations, ingresses, lunations, eclipses, oob, voc or all)";
      return result;
    }
    o.events = *choice;
  }
  if (events_only) {
    if (!o.events.any()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--events-only: name the events to list with --events (for example --events all)";
      return result;
    }
    o.events.only = true;
  }
  if (app.count("--voc-bodies") > 0) {
    std::string bad;
    const auto selection = ParseBodyList(voc_bodies, &bad);
    if (!selection) {
      result.status = CliParse::Status::UsageError;
      result.text = "--voc-bodies: " + Quoted(bad) + " names no body (use 0-25 or a name such as Sun or Venus)";
      return result;
    }
    o.events.voc_bodies = *selection;
  }
  if (app.count("--voc-aspects") > 0) {
    std::string bad;
    const auto angles = ParseAngleList(voc_aspects, &bad);
    if (!angles) {
      result.status = CliParse::Status::UsageError;
      result.text = "--voc-aspects: " + Quoted(bad) + " is no angle (use whole degrees from 0 to 180, such as 0,60,90)";
      return result;
    }
    o.events.voc_aspects = *angles;
  }
  if (app.count("--graph") > 0) {
    const std::string ext = std::filesystem::path(graph_file).extension().string();
    if (graph_file.empty()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--graph: the file name is empty";
      return result;
    }
    if (ext != ".svg" && ext != ".png" && ext != ".SVG" && ext != ".PNG") {
      result.status = CliParse::Status::UsageError;
      result.text = "--graph: " + Quoted(graph_file) + " ends neither in .svg nor in .png (the picture's format)";
      return result;
    }
    o.graph_file = graph_file;
  }
  if (app.count("--dial") > 0 && !IsGraphDialDegrees(o.graph_dial)) {
    result.status = CliParse::Status::UsageError;
    result.text = "--dial: " + std::to_string(o.graph_dial) + " is no dial (use 360, 90, 45, 30 or 15)";
    return result;
  }
  if (app.count("--graph-size") > 0) {
    std::string problem;
    const std::optional<std::pair<int, int>> size = ParseGraphSize(graph_size, problem);
    if (!size) {
      result.status = CliParse::Status::UsageError;
      result.text = problem;
      return result;
    }
    o.graph_width = size->first;
    o.graph_height = size->second;
  }
  if ((app.count("--dial") > 0 || app.count("--graph-size") > 0) && !o.graph_file) {
    result.status = CliParse::Status::UsageError;
    result.text = std::string(app.count("--dial") > 0 ? "--dial" : "--graph-size") +
                  ": draws nothing without --graph FILE.svg|FILE.png";
    return result;
  }
  if (app.count("--output") > 0) {
    if (output.empty()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--output: the file name is empty";
      return result;
    }
    o.output = output;
  }

  if (!settings_file.empty()) {
    const SettingsLoad load = LoadSettingsFile(settings_file, o.settings);
    if (load.status == SettingsLoadStatus::NotRead) {
      result.status = CliParse::Status::FileError;
      result.text = load.message;
      return result;
    }
    if (!load.message.empty()) result.notices.push_back(load.message);
    o.settings = load.settings;
  }

  const auto given = [&](const std::string& name) { return app.count("--" + name) > 0; };
  for (const TextField& f : kTextFields) {
    const std::string name(f.name);
    if (given(name)) o.settings.*f.member = texts[name];
  }
  for (const RoleField& r : kRoleFields) {
    const std::string name(r.selection_name), centre(r.centre_name);
    if (given(name)) {
      std::string bad;
      const auto selection = r.angles ? ParseBodyList(bodies[name], &bad, o.settings.*r.angles)
                                      : ParseBodyList(bodies[name], &bad);
      if (!selection) {
        result.status = CliParse::Status::UsageError;
        result.text = "--" + name + ": " + Quoted(bad) +
                      (r.angles ? " names no body (use 0-25, a name such as Sun or Chiron, or asc or mc)"
                                : " names no body (use 0-25 or a name such as Sun or Chiron)");
        return result;
      }
      o.settings.*r.selection = *selection;
    }
    if (given(centre)) {
      const std::string& c = centres[centre];
      o.settings.*r.centre = c == "h" ? Centre::Helio : c == "n" ? Centre::Natal : Centre::Geo;
    }
  }
  for (const CheckField& f : kCheckFields) {
    const std::string name(f.name);
    if (given(name)) o.settings.*f.member = checks[name] == "1";
  }
  // The chart angles listed for a role that is never natal would search nothing.
  for (const RoleField& r : kRoleFields) {
    const std::string name(r.selection_name);
    if (!given(name) || !AnyAngleChecked(o.settings, r)) continue;
    if (o.settings.*r.centre != Centre::Natal && !o.settings.chkAutoCalc) {
      result.status = CliParse::Status::UsageError;
      result.text = "--" + name + ": asc and mc are the natal chart's angles; " + std::string(r.header) +
                    " takes them only on the centre n (" + kCentreAliases[&r - kRoleFields.data()] +
                    " n, with --chart or --natal and a birth place)";
      return result;
    }
  }

  if (given("chart") && given("natal")) {
    result.status = CliParse::Status::UsageError;
    result.text = "--chart and --natal both give a natal chart; use one of them";
    return result;
  }
  if (!given("natal")) {
    for (const char* name : {"natal-tz", "natal-place", "natal-name"}) {
      if (given(name)) {
        result.status = CliParse::Status::UsageError;
        result.text = std::string("--") + name + " belongs to --natal, which is not given";
        return result;
      }
    }
  }
  if (given("chart")) {
    const ChartLoad load = LoadChartFile(chart_file);
    if (!load.ok) {
      result.status = CliParse::Status::FileError;
      result.text = EscapeControls(load.message);
      return result;
    }
    o.chart = load.chart;
  } else if (given("natal")) {
    // "MM/DD/YYYY HH:MM": the date, then the time after blanks.
    const size_t blank = natal_moment.find(' ');
    const size_t time_at = natal_moment.find_first_not_of(' ', blank == std::string::npos ? blank : blank);
    if (blank == std::string::npos || time_at == std::string::npos) {
      result.status = CliParse::Status::UsageError;
      result.text = "--natal: " + Quoted(natal_moment) +
                    " needs a date and a local time, as \"06/15/1990 14:30\"";
      return result;
    }
    if (!given("natal-tz")) {
      result.status = CliParse::Status::UsageError;
      result.text = "--natal: give the birth time's zone with --natal-tz (hours positive west, or a "
                    "name such as Europe/Berlin)";
      return result;
    }
    NatalChart chart{natal_name, natal_moment.substr(0, blank), natal_moment.substr(time_at),
                     natal_tz, natal_place};
    // Read the texts now, so a mistake is a usage error naming the option.
    std::vector<std::string> problems;
    BirthMoment(chart, problems);
    std::string place_problem;
    PlaceOf(chart.place, place_problem);
    if (!place_problem.empty()) problems.push_back(place_problem);
    if (!problems.empty()) {
      result.status = CliParse::Status::UsageError;
      result.text = "--natal: " + EscapeControls(problems.front());
      return result;
    }
    o.chart = chart;
  }
  if (o.natal_table && !o.chart) {
    result.status = CliParse::Status::UsageError;
    result.text = "--natal-positions: give a chart with --chart FILE or --natal";
    return result;
  }

  if (given("aspects")) {
    std::string problem;
    if (declination) {
      result.status = CliParse::Status::UsageError;
      result.text = "--aspects: a declination run lists parallels and contra-parallels and names no aspect; "
                    "leave --aspects out or make a longitude run";
      return result;
    }
    const std::optional<AspectSet> set = ReadAspectSet(aspect_set, &problem);
    if (!set) {
      result.status = CliParse::Status::UsageError;
      result.text = "--aspects: " + EscapeControls(problem);
      return result;
    }
    // "all" is no set at all, also over a set from a settings file.
    o.settings.txtAspectSet = *set == AspectSet::All() ? std::string() : aspect_set;
  }
  return result;
}

}  // namespace tarnwick
