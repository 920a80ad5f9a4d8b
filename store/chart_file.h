// The natal chart file: the birth data of one chart as "key=value" lines, so a person can
// read and edit it in any text editor:
//
//   # Tarnwick natal chart
//   name=Ada Example
//   date=03/14/1879
//   time=11:30
//   zone=-0.6667
//   place=48N24 10E00
//
// Keys: name, date (MM/DD/YYYY), time (HH:MM or HH:MM:SS, local clock), zone (hours added to
// local time to give UT, positive west, or a tz name such as Europe/Berlin) and place
// (optional: latitude and longitude as 52N31 13E24 or decimal 52.52,13.4). Lines starting
// with "#" and blank lines are comments. Written with CR LF like every file of the program,
// read with any line end; values are kept as typed and read by the chart's readers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/natal_chart.h"
#include "store/atomic_file.h"

namespace tarnwick {

// The file's text for a chart. Blank values are written as empty ("place=").
std::string ChartFileText(const NatalChart& chart);

struct ChartLoad {
  bool ok = false;
  NatalChart chart;
  std::string message;  // why not: the file, the line number and the field at fault
};

// Reads a chart from its text; `source` names the file in messages. An unknown key, a line
// without "=", a key given twice, a missing date, time or zone, and a value holding a line
// break are refused, naming the line.
ChartLoad ChartFromText(std::string_view text, const std::string& source);

// Reads a chart file (ReadWholeFile, then ChartFromText).
ChartLoad LoadChartFile(const std::filesystem::path& path);

// Writes the chart commit-or-nothing; a field holding a line break is refused first. A link
// given as the path is followed (the user chose it).
FileStatus SaveChartFile(const std::filesystem::path& path, const NatalChart& chart);

}  // namespace tarnwick
