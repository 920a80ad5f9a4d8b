// The window's own remembered state (size, position, splitter, table columns, notation) as
// "key=value" lines in a file of its own beside the start-up file, and the name of the file
// that keeps the last run settings. Values are opaque texts to this layer.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "store/atomic_file.h"

namespace tarnwick {

inline constexpr std::string_view kWindowStateFileName = "window.state";
inline constexpr std::string_view kLastSettingsFileName = "last.opt";

using WindowState = std::map<std::string, std::string>;

// Reads the file. A missing or unreadable file, and lines without "=" or with an empty key,
// give nothing for those lines: the window then starts as it would the first time. A key
// given twice keeps its last value. Blanks are part of keys and values.
WindowState ReadWindowState(const std::filesystem::path& path);

// Writes every entry as "key=value" CR LF, sorted by key, commit or nothing. A key holding
// "=" or a line break, or a value holding a line break, cannot be stored: refused with a
// message naming the key and nothing written.
FileStatus WriteWindowState(const std::filesystem::path& path, const WindowState& state);

}  // namespace tarnwick
