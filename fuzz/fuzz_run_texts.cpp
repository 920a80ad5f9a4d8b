// Invariant: the text conversions of the run settings never crash or hang; a date they accept is a real calendar date that its own texts read back as; the number rules agree with one another; a number written by a pattern reads back within half its last digit; accepted run inputs give clock times below 24:00 and dates that read back; an aspect set read is written back alike.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar.h"
#include "core/date_text.h"
#include "core/number_text.h"
#include "engine/aspect_set.h"
#include "engine/run_inputs.h"
#include "engine/run_settings.h"
#include "fuzz/fuzz_check.h"

using namespace tarnwick;

namespace {

// The first byte picks the regional format: date order, date separator, decimal sign.
RegionalFormat FormatOf(std::uint8_t b) {
  static const char* const kSeparators[] = {"/", "-", ".", ". "};
  RegionalFormat f;
  f.order = static_cast<DateOrder>(b % 3);
  f.decimal_separator = (b / 3) % 2 ? ',' : '.';
  f.date_separator = kSeparators[(b / 6) % 4];
  return f;
}

void CheckDate(std::string_view text, const RegionalFormat& format) {
  const auto date = DateFromText(text, format);
  if (!date) return;
  FUZZ_CHECK(date->year >= 1 && date->year <= 9999);
  FUZZ_CHECK(date->month >= 1 && date->month <= 12);
  FUZZ_CHECK(date->day >= 1 && date->day <= Days_in_Month(date->year, date->month));
  FUZZ_CHECK(DateFromText(ShortDateText(*date, format), format) == date);
  FUZZ_CHECK(DateFromText(FormatDate(*date, "yyyy/mm/dd", "-"), format) == date);  // ISO 8601
  FUZZ_CHECK(FormatDate(*date, "mmddyyyy", "").size() == 8);
}

void CheckNumbers(std::string_view text, const RegionalFormat& format) {
  const auto leading = LeadingNumber(text);
  const auto whole = WholeDecimal(text, '.');
  if (whole) FUZZ_CHECK(leading == whole);  // a whole number is its own leading number
  FUZZ_CHECK(OrbDegrees(text) == leading.value_or(0.0));
  FUZZ_CHECK(TimeZoneHours(text, format.decimal_separator) == WholeDecimal(text, format.decimal_separator));
  FUZZ_CHECK(OrbDegrees(text, format.decimal_separator) ==
             LeadingNumber(text, format.decimal_separator).value_or(0.0));
  if (const auto t = DailyTimeValue(text, format.decimal_separator)) {
    // A time of day: 0:00 to 24:00, minutes below 60.
    const double minutes = std::round((*t - std::floor(*t)) * 100.0);
    FUZZ_CHECK(*t >= 0.0 && *t <= 24.0 && minutes < 60.0);
  }
  if (leading && std::isfinite(*leading)) {
    // Written with "." whatever the locale, and read back by the plain rule.
    const std::string fixed = FormatFixed(*leading, 2, 3);
    const auto back = WholeDecimal(fixed, '.');
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(std::fabs(*back - *leading) <= 0.0005 + 1e-12 * std::fabs(*leading));
  }
}

// Seven texts for the seven text fields, separated by line ends.
void CheckRunInputs(std::string_view text, bool time_period, const RegionalFormat& format) {
  RunSettings s;
  s.chkEnableTimePeriod = time_period;
  size_t field = 0, start = 0;
  while (field < kTextFields.size() && start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    s.*kTextFields[field++].member = std::string(text.substr(start, end - start));
    start = end + 1;
  }
  const PreparedRun run = PrepareRunInputs(s, format);
  FUZZ_CHECK(run.inputs.has_value() == run.problems.empty());
  for (const std::string& p : run.problems) {
    bool named = false;
    for (const TextField& f : kTextFields) {
      const std::string label(f.label.substr(0, f.label.find_last_not_of(' ') + 1));
      named = named || p.starts_with(label + " ");
    }
    FUZZ_CHECK(named);  // every problem begins with the label of its box
  }
  if (!run.inputs) return;
  const RunInputs& in = *run.inputs;
  FUZZ_CHECK(in.start_jd <= in.end_jd && std::fabs(in.tz_hours) <= kMaxTimeZoneHours);
  // Moments inside the span print as a real local date and a clock time.
  for (const double at : {in.start_jd, in.start_jd + 0.73, in.end_jd + 0.99999}) {
    const DateAndTimeText when = ConvertJDtoDateandTime(at, in.tz_hours, in.order);
    FUZZ_CHECK(when.time.size() == 5 && when.time[2] == ':');
    FUZZ_CHECK(when.time.substr(0, 2) < "24" && when.time.substr(3, 2) < "60");
    const RegionalFormat slashes{in.order, "/", '.'};
    if (when.date.size() == 10) FUZZ_CHECK(DateFromText(when.date, slashes).has_value());
  }
}

// An aspect set read from any text holds only multiples of 15 from 0 to 180 and is written
// as a text that reads back as the same set; a refused text says why.
void CheckAspectSet(std::string_view text) {
  std::string problem;
  const std::optional<AspectSet> set = ReadAspectSet(text, &problem);
  FUZZ_CHECK(set.has_value() == problem.empty());
  if (!set) return;
  for (const int a : set->Angles()) FUZZ_CHECK(a >= 0 && a <= 180 && a % 15 == 0);
  FUZZ_CHECK(ReadAspectSet(set->Text()) == set);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const RegionalFormat format = FormatOf(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckDate(text, format);
  CheckNumbers(text, format);
  CheckRunInputs(text, data[0] & 0x80, format);
  CheckAspectSet(text);
  return 0;
}
