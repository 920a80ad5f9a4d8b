#include "store/program_files.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "core/message_text.h"
#include "core/program_folder.h"
#include "store/startup_file.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

// An absolute folder from the environment variable, or nothing.
std::optional<fs::path> AbsoluteFolder(const EnvironmentLookup& env, std::string_view name) {
  const std::optional<std::string> value = env(name);
  if (!value || value->empty()) return std::nullopt;
  const fs::path p(*value);
  if (!p.is_absolute()) return std::nullopt;
  return p;
}

// $<xdg_name>, else $HOME/<home_relative>, else nothing.
std::optional<fs::path> XdgBase(const EnvironmentLookup& env, std::string_view xdg_name,
                                const fs::path& home_relative) {
  if (auto p = AbsoluteFolder(env, xdg_name)) return p;
  if (auto home = AbsoluteFolder(env, "HOME")) return *home / home_relative;
  return std::nullopt;
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
}

bool IsWritableFolder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<fs::path> InstalledDataFolder(const fs::path& program_folder) {
  if (program_folder.filename() != "bin") return std::nullopt;
  const fs::path shared = program_folder.parent_path() / "share" / kXdgSubfolder;
  std::error_code ec;
  if (!fs::is_regular_file(shared / kHelpFileName, ec)) return std::nullopt;
  return shared;
}

ProgramFiles LocateProgramFiles(const fs::path& program_folder, bool program_folder_writable,
                                const EnvironmentLookup& env) {
  ProgramFiles files;
  const std::optional<fs::path> installed = InstalledDataFolder(program_folder);
  files.shipped_help_file = (installed ? *installed : program_folder) / kHelpFileName;
  files.ephemeris_path = EphemerisSearchPath(program_folder);
  fs::path config = program_folder;
  fs::path data = program_folder;
  if (installed || !program_folder_writable) {
    const auto config_base = XdgBase(env, "XDG_CONFIG_HOME", ".config");
    const auto data_base = XdgBase(env, "XDG_DATA_HOME", fs::path(".local") / "share");
    if (config_base && data_base) {
      config = *config_base / kXdgSubfolder;
      data = *data_base / kXdgSubfolder;
      files.beside_program = false;
      // An installed program's folder is a shared bin/ (/usr/bin): the user's extra
      // asteroid files go into their own data folder instead. The library splits at ':'.
      if (installed) {
        files.ephemeris_path = (data / kEphemerisSubfolder).string() + ":" + DebianEphemerisFolder();
      }
    }
  }
  files.startup_file = config / kStartupFileName;
  files.data_folder = data / kDataFolderName;
  files.help_file = data / kHelpFileName;
  return files;
}

std::vector<std::string> CreateProgramFolders(const ProgramFiles& files) {
  std::vector<std::string> messages;
  for (const fs::path& folder : {files.data_folder, files.startup_file.parent_path()}) {
    if (folder.empty()) continue;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
      const std::string reason = ec ? ec.message() : "a file of that name is in the way";
      messages.push_back("Could not create the folder " + Quoted(folder.string()) + ": " + reason);
    }
  }
  return messages;
}

fs::path HelpFileToOpen(const ProgramFiles& files) {
  std::error_code ec;
  return fs::exists(files.help_file, ec) ? files.help_file : files.shipped_help_file;
}

}  // namespace tarnwick
