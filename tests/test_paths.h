// Where the tests find what lies outside them: the reference data (TARNWICK_TEST_DATA_DIR),
// the decimal-comma locale made for them (TARNWICK_TEST_LOCALE_DIR) and the runner
// (TARNWICK_CLI). CTest hands these in through the environment (cmake/TarnwickTest.cmake), not
// the compiler through definitions: with no absolute path compiled into a test, the tests of
// a second checkout (a CI clone) come from the compiler cache instead of being compiled again.
#pragma once

#include <cstdlib>
#include <string>

namespace tarnwick {

// The path the environment variable `name` holds; "" when the test was not started by CTest.
inline std::string TestPath(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace tarnwick
