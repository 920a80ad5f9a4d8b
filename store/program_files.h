// Where the program's own files live on Linux: the start-up file, the data folder for the
// reports and the user's help file, beside the program or, for an installed copy, in XDG folders.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/atomic_file.h"

namespace tarnwick {

inline constexpr std::string_view kDataFolderName = "data";
inline constexpr std::string_view kHelpFileName = "help.txt";
inline constexpr std::string_view kXdgSubfolder = "tarnwick";

inline constexpr std::string_view kEphemerisSubfolder = "ephe";

struct ProgramFiles {
  std::filesystem::path startup_file;       // Quillmere.ini
  std::filesystem::path data_folder;        // where the reports are saved
  std::filesystem::path help_file;          // the user's help.txt, which the help window saves
  std::filesystem::path shipped_help_file;  // help.txt as shipped: beside the program or in share/tarnwick
  std::string ephemeris_path;               // the Swiss Ephemeris search path, folders split by ':'
  bool beside_program = true;               // false: the XDG folders are used
};

// The read-only data folder of an installed copy, <prefix>/share/tarnwick, when the program
// sits in <prefix>/bin and that folder holds the shipped help.txt (as `cmake --install` lays
// it out, whatever the prefix); nothing for a program run from its build folder or a folder
// of its own.
std::optional<std::filesystem::path> InstalledDataFolder(const std::filesystem::path& program_folder);

// Value of an environment variable, nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The environment of this process.
EnvironmentLookup ProcessEnvironment();

// True when new files can be created in the folder (it exists and we may write into it).
bool IsWritableFolder(const std::filesystem::path& folder);

// The program's files. When program_folder_writable and the copy is not installed (see
// InstalledDataFolder), all of them sit in the program's folder: Quillmere.ini, data/,
// help.txt, and the ephemeris is searched in the program's folder, its ephe/ and Debian's
// folder. Otherwise (an installed copy, or a folder the user cannot write) Quillmere.ini goes
// to $XDG_CONFIG_HOME/tarnwick (~/.config/tarnwick when unset) and data/ and help.txt to
// $XDG_DATA_HOME/tarnwick (~/.local/share/tarnwick); an installed copy searches the
// ephemeris in $XDG_DATA_HOME/tarnwick/ephe (where the user drops extra asteroid files),
// then Debian's folder. XDG values that are empty or relative are ignored, as the XDG base directory rules
// ask; without any usable home the program's folder is used and writing there will report
// why it fails.
ProgramFiles LocateProgramFiles(const std::filesystem::path& program_folder,
                                bool program_folder_writable, const EnvironmentLookup& env);

// Creates the data folder and the start-up file's folder when missing. A failure is not
// fatal to the program: each one gives a message naming the folder and the reason.
std::vector<std::string> CreateProgramFolders(const ProgramFiles& files);

// The help file to show: the user's copy when it exists, else the shipped one.
std::filesystem::path HelpFileToOpen(const ProgramFiles& files);

}  // namespace tarnwick
