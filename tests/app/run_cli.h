// The runner as a user starts it: the program built beside the tests, its standard output
// and standard error kept apart, and its exit status.
#pragma once

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "test_paths.h"
#include "tests/store/scratch_folder.h"

namespace tarnwick {

// out, err: standard output and standard error, kept apart.
struct Ran { int status; std::string out, err; };

// The runner built beside the tests.
inline std::string Cli() { return TestPath("TARNWICK_CLI"); }

inline Ran RunCli(const std::string& args) {
  const ScratchFolder scratch;
  const std::string command = Cli() + " " + args + " 2>" + (scratch / "err").string();
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  std::array<char, 4096> buf;
  for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) out.append(buf.data(), n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadBytes(scratch / "err")};
}

// `text` holds `part`; else the failure shows both.
inline ::testing::AssertionResult Has(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

// How often `part` occurs in `text`.
inline size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace tarnwick
