// Invariant: any bytes read as a start-up file never crash or hang; no value read holds a line break or exceeds the length limit; the values written out and read back over other values come back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "store/startup_file.h"

using namespace tarnwick;

namespace {

bool Storable(const std::string& value) {
  return !HoldsLineBreak(value) && value.size() <= kMaxFieldTextBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const StartupValues defaults =
      DefaultStartupValues({2, 10, 2024}, {DateOrder::DayMonthYear, ".", ','});
  std::string problem;
  const StartupValues v = StartupValuesFromText(bytes, defaults, &problem);
  for (const std::string* value : {&v.txtStartDate, &v.txtEndDate, &v.txtStartTime, &v.txtEndTime,
                                   &v.txtTZ, &v.settings_file_path}) {
    FUZZ_CHECK(Storable(*value));
  }

  // Written and read back over other values: each non-empty value returns, an empty one
  // (only the settings-file path can be empty) leaves the other value in place.
  const StartupValues other{"a", "b", "c", "d", "e", "f"};
  std::string again_problem;
  const StartupValues back = StartupValuesFromText(StartupFileText(v), other, &again_problem);
  StartupValues expected = v;
  if (expected.settings_file_path.empty()) expected.settings_file_path = other.settings_file_path;
  FUZZ_CHECK(again_problem.empty());
  FUZZ_CHECK(back == expected);
  return 0;
}
