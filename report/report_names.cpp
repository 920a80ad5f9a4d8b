#include "report/report_names.h"

#include <optional>

#include "engine/aspect_set.h"

namespace tarnwick {

namespace {

// mmddyyyy of a date text read in the regional format. A text that is no date (a run refuses
// it before any name is built) is kept as typed, so the name still says what was there.
std::string DatePart(std::string_view text, const RegionalFormat& format) {
  const std::optional<CalendarDate> date = DateFromText(text, format);
  return date ? FormatDate(*date, "mmddyyyy", "") : std::string(text);
}

// The centre letters of the roles taking part: P1 and P2, and P3 with chkUseP3.
std::string CentreLetters(const RunSettings& s) {
  std::string letters;
  letters += CentreCaption(s.opt1_ghd);
  letters += CentreCaption(s.opt2_ghd);
  if (s.chkUseP3) letters += CentreCaption(s.opt3_ghd);
  return letters;
}

std::string DatesAndZone(const RunSettings& s, const RegionalFormat& format) {
  return DatePart(s.txtStartDate, format) + "_" + DatePart(s.txtEndDate, format) + "_" + s.txtTZ;
}

const char* GridPart(const RunSettings& s) { return s.chkInclude15DegAspects ? "_15" : "_30"; }
const char* CoordinatePart(const RunSettings& s) { return s.chkUse_RA ? "_RA" : "_noRA"; }

// "_aspects_major", "_aspects_0-90-180" when a set of aspects leaves out some of the grid's
// aspects; "" otherwise, so that the names of runs without a set stay as they were. A text
// that is no set is kept as typed (a run refuses it before any name is built).
std::string AspectSetPart(const RunSettings& s) {
  const std::optional<AspectSet> set = ReadAspectSet(s.txtAspectSet);
  if (!set) return "_aspects_" + s.txtAspectSet;
  if (!set->FiltersGrid(s.chkInclude15DegAspects)) return {};
  return "_aspects_" + set->Text('-');
}

bool IsUnsafe(unsigned char c) {
  if (c < 0x20 || c >= 0x7f) return true;  // control characters, DEL, bytes of other code pages
  switch (c) {
    case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string SafeFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (IsUnsafe(static_cast<unsigned char>(c))) c = '-';
  }
  if (out.empty() || out == "." || out == "..") return "-";
  if (!out.empty() && out.front() == '.') out.front() = '-';
  return out;
}

std::string LongitudeReportName(const RunSettings& s, const RegionalFormat& format) {
  std::string name = DatesAndZone(s, format);
  name += "_" + s.txtAspectOrb1 + "_" + s.txtAspectOrb2;
  name += s.chkAutoCalc ? (s.chkUseP3 ? "_all_3" : "_all_2") : "_" + CentreLetters(s);
  name += s.chkUseMidpoints ? "_mp" : (s.chkUseNear_and_Far ? "_md1" : "_md");
  name += GridPart(s);
  name += CoordinatePart(s);
  name += AspectSetPart(s);
  name += ".txt";
  return SafeFileName(name);
}

std::string DeclinationReportName(const RunSettings& s, const RegionalFormat& format) {
  std::string name = DatesAndZone(s, format);
  name += s.chkAutoCalc ? (s.chkUseP3 ? "_decl_all_3" : "_decl_all_2")
                        : "_decl_" + CentreLetters(s);
  name += s.chkUseMidpoints ? "_mp" : "_md";
  name += GridPart(s);
  name += CoordinatePart(s);
  name += s.chkUseGeoLat ? "_geoLat" : "_geoDecl";
  name += ".txt";
  return SafeFileName(name);
}

}  // namespace tarnwick
