#include "program_folder.h"

#include <system_error>

namespace tarnwick {

namespace {
constexpr const char* kDebianEphemerisFolder = "/usr/share/libswe/ephe";
}

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

const char* DebianEphemerisFolder() { return kDebianEphemerisFolder; }

std::string EphemerisSearchPath(const std::filesystem::path& program_folder) {
  // The library splits its path at ':' (and ';') on Linux.
  return program_folder.string() + ":" + (program_folder / "ephe").string() + ":" +
         kDebianEphemerisFolder;
}

}  // namespace tarnwick
