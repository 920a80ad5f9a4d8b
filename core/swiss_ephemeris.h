// The position provider over the Swiss Ephemeris library.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/orbit/apparent_place.h"
#include "position_provider.h"

namespace tarnwick {

// Counts of library calls, for the benchmarks.
struct EphemerisCallCount {
  std::int64_t calc = 0;    // swe_calc
  std::int64_t deltat = 0;  // swe_deltat
  std::int64_t orbit = 0;   // positions reduced from an orbit table (each makes its own calls)
};

// The library keeps its state per thread: construct, use and destroy an instance on one
// thread.
//
// Each body's source is decided once, on first use: the library whenever it can compute the
// body from the files in the search path; otherwise, for the eleven asteroids and centaurs
// with orbital elements (Chiron ... Eris), the body's orbit, integrated and tabulated
// for 1800-2400 and shared by all instances (see orbit_table.h), reduced here to the same
// kinds of positions the library gives. The constructor sets the ephemeris search path for the calling thread; the
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
  // The library's longitude without the nutation, plus the nutation in longitude and its rate
  // from twelve library values a day apart around the moment, without the library's two
  // nutations per new moment: over 1800-2400 within 1e-10 degree of the method's value.
  double QuickLongitude(Centre centre, double jd_ut, int body) override;
  double QuickMotionError(Centre centre, int body) override;

  const EphemerisCallCount& call_count() const { return calls_; }
  // Calls made by every provider of the process that has been destroyed, for benchmarks.
  static EphemerisCallCount FinishedCallCount();
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

  enum class Route : unsigned char { Undecided, Library, Orbit };
  Route RouteOf(int body) {
    const Route r = route_[BodySlot(body)];
    return r == Route::Undecided ? Resolve(body) : r;
  }
  Route Resolve(int body);
  // A position from the body's orbit table; `geocentric` else heliocentric.
  SphericalPlace FromOrbit(double jd_et, int body, bool geocentric, bool equatorial);

  std::array<Route, BodyCount> route_{};
  std::array<BarycentricOrbit*, BodyCount> orbit_{};
  ApparentPlace apparent_;

  // Values at whole Julian days, each asked of the library once: 256 of them hold every
  // moment of a stretch of the scan.
  struct DayNode {
    long long index = -1;  // the node's moment, a whole Julian day; -1 for none
    double value = 0.0;
  };
  // The nutation in longitude (degrees) at whole days of Terrestrial Time, for QuickLongitude.
  double NutationAtNode(long long index);
  // Whether QuickLongitude answers `body` by the method (see there).
  bool QuickByMethod(Centre centre, int body);
  std::array<DayNode, 256> nutation_nodes_{};
  // Delta T (days) at whole days of Universal Time, and for each day between two of them
  // whether the line between their values holds inside it. The library's Delta T bends by
  // well under 1e-12 day within a day, except on some days at the turn of a year of its
  // tables, where it steps by up to 6e-9 day: those days ask the library at every moment.
  double DeltaTAtNode(long long index);
  double LibraryDeltaT(double jd_ut);
  std::array<DayNode, 256> deltat_nodes_{};
  struct DayCheck {
    long long index = -1;  // the day's start, a whole Julian day (UT); -1 for none
    bool line_holds = false;
  };
  std::array<DayCheck, 256> deltat_straight_{};

  std::string search_path_;
  EphemerisCallCount calls_;
  std::string first_error_;
};

}  // namespace tarnwick
