// The program's own folder and the ephemeris search path built from it.
#pragma once

#include <filesystem>
#include <string>

namespace tarnwick {

// Folder of the running executable (from /proc/self/exe); the current folder if unknown.
std::filesystem::path ProgramFolder();

// Where the Swiss Ephemeris looks for its files, in this order: the program's folder, its
// ephe/ subfolder, then Debian's data folder. Asteroid files a user drops beside the program
// are found first.
std::string EphemerisSearchPath(const std::filesystem::path& program_folder);

// Debian's folder of Swiss Ephemeris files (package swe-basic-data).
const char* DebianEphemerisFolder();

}  // namespace tarnwick
