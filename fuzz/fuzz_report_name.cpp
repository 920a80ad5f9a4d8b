// Invariant: whatever texts and switches the settings hold, a report name is one plain, non-empty file name of printable ASCII (never ".", "..", hidden, or holding "/" or NUL), so the data folder joined with it names a file directly inside that folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "report/report_names.h"

using namespace tarnwick;

namespace {

void CheckPlainName(const std::string& name) {
  FUZZ_CHECK(!name.empty() && name != "." && name != ".." && name.front() != '.');
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    FUZZ_CHECK(u >= 0x20 && u < 0x7f && c != '/' && c != '\\');
  }
  const std::filesystem::path folder = "/home/user/tarnwick/data";
  const std::filesystem::path file = folder / name;
  FUZZ_CHECK(file.parent_path() == folder);
  FUZZ_CHECK(file.filename() == name);
  FUZZ_CHECK(file.lexically_normal().parent_path() == folder);
}

}  // namespace

// Bytes 0 and 1: the switches, the centre choices and the regional format; then the five
// texts a name is built from, separated by line ends (a settings file cannot hold those,
// the command line can; SafeFileName itself sees the whole rest, line ends included).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned bits = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  CheckPlainName(SafeFileName(rest));

  RunSettings s;
  bool RunSettings::*const switches[] = {&RunSettings::chkUseP3, &RunSettings::chkAutoCalc,
                                         &RunSettings::chkUseMidpoints, &RunSettings::chkUseNear_and_Far,
                                         &RunSettings::chkInclude15DegAspects, &RunSettings::chkUse_RA,
                                         &RunSettings::chkUseGeoLat};
  for (size_t i = 0; i < std::size(switches); ++i) s.*switches[i] = bits >> i & 1;
  s.opt1_ghd = bits >> 7 & 1 ? Centre::Helio : Centre::Geo;
  s.opt2_ghd = bits >> 8 & 1 ? Centre::Helio : Centre::Geo;
  s.opt3_ghd = bits >> 9 & 1 ? Centre::Helio : Centre::Geo;
  RegionalFormat format;
  format.order = static_cast<DateOrder>((bits >> 10) % 3);
  format.date_separator = bits >> 12 & 1 ? "." : "/";

  std::string* const texts[] = {&s.txtStartDate, &s.txtEndDate, &s.txtTZ, &s.txtAspectOrb1,
                                &s.txtAspectOrb2};
  size_t start = 0;
  for (std::string* text : texts) {
    if (start > rest.size()) break;
    size_t end = rest.find('\n', start);
    if (end == std::string_view::npos) end = rest.size();
    *text = std::string(rest.substr(start, end - start));
    start = end + 1;
  }
  const std::string longitude = LongitudeReportName(s, format);
  const std::string declination = DeclinationReportName(s, format);
  CheckPlainName(longitude);
  CheckPlainName(declination);
  FUZZ_CHECK(longitude.ends_with(".txt") && declination.ends_with("_geoDecl.txt") != s.chkUseGeoLat);
  return 0;
}
