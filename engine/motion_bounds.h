// How fast each body can move and how fast its motion can change, in each kind of coordinate
// a scan works in: the bounds that let a scan pass over a window which provably holds no
// exact moment without searching it.
#pragma once

#include "core/bodies.h"
#include "core/position_provider.h"

namespace tarnwick {

enum class MotionCoordinate {
  GeoLongitude, GeoRightAscension, HelioLongitude, HelioRightAscension,
  GeoDeclination, GeoLatitude, HelioLatitude,
};
inline constexpr int kMotionCoordinates = 7;

const char* MotionCoordinateName(MotionCoordinate c);
bool IsHeliocentric(MotionCoordinate c);

// The coordinate a scan reads for a role: longitudes (or right ascensions) in a longitude
// scan, declinations (or latitudes) in a declination scan.
MotionCoordinate CoordinateOf(bool longitude_scan, Centre centre, const PositionSwitches& s);

struct MotionBound {
  double speed;  // largest |daily motion|, degrees per day
  double accel;  // largest |change of daily motion|, degrees per day per day
};

// Bounds over 1800-2400 with a safety margin: measured extremes (tarnwick-motion-bounds)
// times 1.25, plus 0.01 deg/day and 0.005 deg/day². Zero for a body that takes no role in
// that coordinate.
MotionBound MaxMotion(int body, MotionCoordinate c);

}  // namespace tarnwick
