#include "tests/support/planets_only_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

#include "core/program_folder.h"

namespace tarnwick {

PlanetsOnlyFolder::PlanetsOnlyFolder() {
  std::error_code ec;
  std::string templ = (std::filesystem::temp_directory_path(ec) / "tarnwick-planets-XXXXXX").string();
  if (!mkdtemp(templ.data())) return;
  path_ = templ;
  const std::filesystem::path debian = DebianEphemerisFolder();
  for (const char* name : {"sepl_18.se1", "semo_18.se1"})
    std::filesystem::create_symlink(debian / name, path_ / name, ec);
}

PlanetsOnlyFolder::~PlanetsOnlyFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

}  // namespace tarnwick
