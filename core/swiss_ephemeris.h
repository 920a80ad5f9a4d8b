// The position provider over the Swiss Ephemeris library.
#pragma once

#include <cstdint>
#include <string>

#include "position_provider.h"

namespace tarnwick {

// Counts of library calls, for the benchmarks.
struct EphemerisCallCount {
  std::int64_t calc = 0;    // swe_calc
  std::int64_t deltat = 0;  // swe_deltat
};

// The library keeps its state per thread: construct, use and destroy an instance on one
// thread. The constructor sets the ephemeris search path for the calling thread; the
// destructor releases the library's files and memory of that thread (swe_close).
class SwissEphemeris final : public PositionProvider {
 public:
  explicit SwissEphemeris(const std::string& search_path);
  ~SwissEphemeris() override;
  SwissEphemeris(const SwissEphemeris&) = delete;
  SwissEphemeris& operator=(const SwissEphemeris&) = delete;

  double Get_1_Planet_geo(double jd_ut, int body) override;
  double Get_1_Planet_helio(double jd_ut, int body) override;
  double Get_1_Planet_decl(double jd_ut, int body) override;
  double Get_1_Planet_latitude(double jd_ut, int body) override;
  BodyAvailability Availability(int body, Centre centre, double jd_ut) override;

  const EphemerisCallCount& call_count() const { return calls_; }
  const std::string& search_path() const { return search_path_; }

  // The first library error met by a position method since construction, empty if none.
  // A body reported available by Availability() does not fail inside its span.
  const std::string& first_error() const { return first_error_; }

 private:
  struct Result {
    double x[6];
  };
  Result Calc(double jd_et, int body_number, int flags);
  double DeltaT(double jd_ut);

  std::string search_path_;
  EphemerisCallCount calls_;
  std::string first_error_;
};

}  // namespace tarnwick
