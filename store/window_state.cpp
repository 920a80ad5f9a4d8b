#include "store/window_state.h"

namespace tarnwick {

WindowState ReadWindowState(const std::filesystem::path& path) {
  WindowState state;
  const FileRead read = ReadWholeFile(path);
  if (!read.ok) return state;
  for (const std::string& line : SplitLines(read.bytes)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    state[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return state;
}

FileStatus WriteWindowState(const std::filesystem::path& path, const WindowState& state) {
  std::vector<std::string> lines;
  lines.reserve(state.size());
  for (const auto& [key, value] : state) {
    if (key.empty() || key.find('=') != std::string::npos || HoldsLineBreak(key) || HoldsLineBreak(value)) {
      return {false, "Could not save \"" + path.string() + "\": the entry \"" + key +
                         "\" holds a character the file cannot store (\"=\" in a key, or a line break)"};
    }
    lines.push_back(key + "=" + value);
  }
  return WriteFileAtomically(path, JoinLinesCrLf(lines));
}

}  // namespace tarnwick
