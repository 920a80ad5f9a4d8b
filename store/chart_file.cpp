#include "store/chart_file.h"

#include <array>
#include <optional>

#include "core/message_text.h"

namespace tarnwick {

namespace {

struct ChartKey {
  std::string_view key;
  std::string NatalChart::*member;
  bool required;
};

constexpr std::array<ChartKey, 5> kChartKeys = {{
    {"name", &NatalChart::name, false},
    {"date", &NatalChart::date, true},
    {"time", &NatalChart::time, true},
    {"zone", &NatalChart::zone, true},
    {"place", &NatalChart::place, false},
}};

constexpr std::string_view kHeader = "# Tarnwick natal chart";

}  // namespace

std::string ChartFileText(const NatalChart& chart) {
  std::vector<std::string> lines{std::string(kHeader)};
  for (const ChartKey& k : kChartKeys) lines.push_back(std::string(k.key) + "=" + chart.*k.member);
  return JoinLinesCrLf(lines);
}

ChartLoad ChartFromText(std::string_view text, const std::string& source) {
  ChartLoad out;
  std::array<bool, kChartKeys.size()> seen{};
  const std::vector<std::string> lines = SplitLines(text);
  const auto fail = [&](size_t n, const std::string& why) {
    out.message = source + " is not a chart: line " + std::to_string(n + 1) + " " + why;
    return out;
  };
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = TrimmedBlanks(lines[n]);
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail(n, "has no \"=\" (lines are key=value).");
    const std::string_view key = TrimmedBlanks(line.substr(0, eq));
    size_t k = 0;
    while (k < kChartKeys.size() && kChartKeys[k].key != key) ++k;
    if (k == kChartKeys.size()) {
      return fail(n, "has the key \"" + std::string(key) +
                         "\", which is none of name, date, time, zone, place.");
    }
    if (seen[k]) return fail(n, "gives \"" + std::string(key) + "\" a second time.");
    seen[k] = true;
    out.chart.*kChartKeys[k].member = std::string(TrimmedBlanks(line.substr(eq + 1)));
  }
  for (size_t k = 0; k < kChartKeys.size(); ++k) {
    if (kChartKeys[k].required && (!seen[k] || (out.chart.*kChartKeys[k].member).empty())) {
      out.message = source + " is not a chart: it has no " + std::string(kChartKeys[k].key) +
                    "= line with a value.";
      return out;
    }
  }
  out.ok = true;
  return out;
}

ChartLoad LoadChartFile(const std::filesystem::path& path) {
  const FileRead read = ReadWholeFile(path, 64u * 1024u);  // a chart is a few hundred bytes
  if (!read.ok) {
    ChartLoad out;
    out.message = read.message;
    return out;
  }
  return ChartFromText(read.bytes, "\"" + path.string() + "\"");
}

FileStatus SaveChartFile(const std::filesystem::path& path, const NatalChart& chart) {
  for (const ChartKey& k : kChartKeys) {
    if (HoldsLineBreak(chart.*k.member)) {
      return {false, "Could not save \"" + path.string() + "\": the chart's " + std::string(k.key) +
                         " holds a line break, which a chart file cannot store."};
    }
  }
  return WriteFileAtomically(path, ChartFileText(chart), LinkPolicy::FollowLink);
}

}  // namespace tarnwick
