// Invariant: any bytes read as a settings file never crash or hang; a refused file changes nothing; what is read, written out and read back gives the same settings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "store/settings_file.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RunSettings current;  // fields the file does not hold must keep these values
  current.opt1_ghd = Centre::Helio;
  current.chkDisplayP1_P2P3_mp_aspects = false;
  const SettingsLoad load = SettingsFromText(bytes, current, "fuzz.opt");

  FUZZ_CHECK(load.settings.opt1_ghd == Centre::Helio && load.settings.opt2_ghd == Centre::Geo);
  FUZZ_CHECK(!load.settings.chkDisplayP1_P2P3_mp_aspects);
  FUZZ_CHECK(load.lines_read >= 0 && load.lines_read <= kSettingsFileLines);
  switch (load.status) {
    case SettingsLoadStatus::NotRead:
      FUZZ_CHECK(load.settings == current && !load.message.empty() && load.lines_read == 0);
      return 0;
    case SettingsLoadStatus::Short:
      FUZZ_CHECK(load.lines_read < kSettingsFileLines && !load.message.empty());
      break;
    case SettingsLoadStatus::Complete:
      FUZZ_CHECK(load.lines_read == kSettingsFileLines);
      break;
  }

  // Every text read can be stored again, and comes back unchanged.
  FUZZ_CHECK(TextFieldWithLineBreak(load.settings).empty());
  const std::string written = SettingsFileText(load.settings);
  const SettingsLoad again = SettingsFromText(written, RunSettings{}, "again.opt");
  FUZZ_CHECK(again.status == SettingsLoadStatus::Complete && again.message.empty());
  RunSettings expected = load.settings;
  expected.opt1_ghd = Centre::Geo;
  expected.chkDisplayP1_P2P3_mp_aspects = true;
  FUZZ_CHECK(again.settings == expected);
  return 0;
}
