// Midpoints and mid-degrees: the points between P2 and P3 that a triple aspect relates P1 to.
// Angles in degrees.
#pragma once

namespace tarnwick {

// Middle of the shorter arc between two longitudes in [0, 360); result in [0, 360). Two
// positions exactly 180 degrees apart keep the first midpoint, (a + b) / 2.
double Find_Midpoint(double a, double b);

// Mean of two declinations or latitudes, signed: (a + b) / 2.
double Find_Midpoint_declination(double a, double b);

// Middle of the two positions' degrees within their signs, in [0, 30). With near_rule
// (chkUseNear_and_Far), when one degree lies below 7.5 and the other above 22.5, the middle
// of the shorter way across the sign boundary is taken instead.
double Find_Middegree(double a, double b, bool near_rule);

}  // namespace tarnwick
