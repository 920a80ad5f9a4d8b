// A temporary ephemeris folder with Debian's planet and Moon files but no asteroid file, so
// that a provider pointed at it computes the asteroids and centaurs from their orbits.
#pragma once

#include <filesystem>

namespace tarnwick {

class PlanetsOnlyFolder {
 public:
  PlanetsOnlyFolder();  // creates the folder with symbolic links; empty path() on failure
  ~PlanetsOnlyFolder();
  PlanetsOnlyFolder(const PlanetsOnlyFolder&) = delete;
  PlanetsOnlyFolder& operator=(const PlanetsOnlyFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tarnwick
