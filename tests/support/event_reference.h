// A brute-force reference for the sky events, written straight on the library's swe_calc_ut
// (not on the position provider or the root finder of the search it judges): each quantity
// is sampled every hour and each sign change bisected to a hundredth of a second. Slow and
// simple on purpose.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick {

// What the reference can look for.
enum class ReferenceEvent {
  GeoStation,     // geocentric speed in longitude through zero
  GeoIngress,     // geocentric longitude through a multiple of 30 degrees
  HelioIngress,   // heliocentric longitude through a multiple of 30 degrees
  OutOfBounds,    // |geocentric declination| through the true obliquity, either way
  Lunation,       // Moon minus Sun through a multiple of 90 degrees
};

// Moments (Julian days, UT, in increasing order) of `what` for the library's body number
// `swe_body` (ignored for lunations) in [from_jd, to_jd]. Samples every `step_days`.
std::vector<double> ReferenceEvents(ReferenceEvent what, int swe_body, double from_jd, double to_jd,
                                    double step_days = 1.0 / 24.0);

// Moments in [from_jd, to_jd] where f changes sign between samples `step` days apart, each
// bisected to a hundredth of a second; a change of f by `max_change` or more between two
// samples is a jump (a wrap of an angle), not a crossing.
std::vector<double> SignChanges(const std::function<double(double)>& f, double from_jd, double to_jd,
                                double step, double max_change = HUGE_VAL);

// Largest |difference| between matched moments (within two minutes) of two sorted lists, days.
double WorstOffsetDays(const std::vector<double>& reference, const std::vector<double>& found);

}  // namespace tarnwick
