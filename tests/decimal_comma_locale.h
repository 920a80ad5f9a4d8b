// Runs part of a test as a user of a decimal-comma locale: de_DE.UTF-8 as the C locale of the
// process and of its environment, as QApplication leaves it for such a user. The locale is
// made by the CTest fixture make_decimal_comma_locale (tests/CMakeLists.txt).
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

#include "test_paths.h"

namespace tarnwick {

// Why the locale cannot be used, for the skip message; "" once the process runs in it.
inline std::string UseDecimalCommaLocale() {
  const std::string folder = TestPath("TARNWICK_TEST_LOCALE_DIR");
  ::setenv("LOCPATH", folder.c_str(), 1);
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  if (std::setlocale(LC_ALL, "") == nullptr || std::localeconv()->decimal_point != std::string(",")) {
    return "de_DE.UTF-8 is not in \"" + folder +
           "\" (run the test through ctest, which makes it with localedef from Debian's "
           "`locales` package)";
  }
  return {};
}

// Back to the tests' own locale (LC_ALL=C.UTF-8, as CTest starts them).
inline void LeaveDecimalCommaLocale() {
  ::unsetenv("LOCPATH");
  ::setenv("LC_ALL", "C.UTF-8", 1);
  std::setlocale(LC_ALL, "");
}

}  // namespace tarnwick
