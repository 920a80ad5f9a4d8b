// A fresh, empty folder for one test, removed with everything in it when the test ends; plain
// byte reads and writes beside the program's own; the messages of a refused save or read.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tarnwick {

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("tarnwick-test-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() { std::error_code ec; std::filesystem::remove_all(path_, ec); }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  std::vector<std::string> Entries() const {  // names directly in the folder, sorted
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Could not save "<path>": <reason>, and the same for a read.
inline std::string CouldNotSave(const std::filesystem::path& path, const std::string& reason) {
  return "Could not save \"" + path.string() + "\": " + reason;
}
inline std::string CouldNotRead(const std::filesystem::path& path, const std::string& reason) {
  return "Could not read \"" + path.string() + "\": " + reason;
}

}  // namespace tarnwick
