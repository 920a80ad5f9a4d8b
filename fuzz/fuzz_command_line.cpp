// Invariant: any arguments given to tarnwick-cli are parsed without a crash, a hang or an escaping exception into a run, help or a usage error that says what is wrong; a run gets exactly the texts given; a body list written out reads back as the same bodies.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_options.h"
#include "fuzz/fuzz_check.h"

using namespace tarnwick;

namespace {

// The same selection written as indices and as captions, read back.
void CheckBodyListRoundTrip(const BodySelection& selection) {
  std::string indices, names;
  for (const Body& b : BodyCatalogue) {
    if (!selection[b.index]) continue;
    indices += (indices.empty() ? "" : ",") + std::to_string(b.index);
    names += (names.empty() ? "" : ", ") + std::string(b.caption);
  }
  FUZZ_CHECK(ParseBodyList(indices.empty() ? "none" : indices, nullptr) == selection);
  FUZZ_CHECK(ParseBodyList(names.empty() ? "none" : names, nullptr) == selection);
}

}  // namespace

// Arguments separated by line ends. A --settings file is read from disk: that reader has a
// target of its own, and a fuzzer must not wander the file system, so such inputs are skipped.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find("settings") != std::string_view::npos) return 0;
  std::vector<std::string> args;
  for (size_t start = 0; start <= text.size() && args.size() < 64;) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    args.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }

  std::string bad;
  if (const auto selection = ParseBodyList(args.front(), &bad)) CheckBodyListRoundTrip(*selection);

  const CliParse parse = ParseCommandLine(args);
  switch (parse.status) {
    case CliParse::Status::Help:
    case CliParse::Status::UsageError:
      FUZZ_CHECK(!parse.text.empty());
      break;
    case CliParse::Status::FileError:
      FUZZ_CHECK(false);  // no settings file was named
      break;
    case CliParse::Status::Run: {
      const CliOptions& o = parse.options;
      FUZZ_CHECK(o.threads >= 0 && o.threads <= 256);
      // "--txtTZ X" or "-z X" as the last two arguments sets the time zone text to exactly X.
      if (args.size() >= 2 && (args[args.size() - 2] == "--txtTZ" || args[args.size() - 2] == "-z")) {
        FUZZ_CHECK(o.settings.txtTZ == args.back());
      }
      CheckBodyListRoundTrip(o.settings.chkP1Planets);
      break;
    }
  }
  return 0;
}
