// The graphic ephemeris as numbers: the lines of a run's bodies sampled from the position
// provider, folded onto a dial and broken where they wrap, the found rows as markers, the
// axes' ticks and the mapping to pixels. No drawing here: graph/ paints this with QtGui and
// the window adds the mouse.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/position_provider.h"
#include "core/time_zone.h"
#include "engine/found_aspects.h"
#include "engine/run_plan.h"

namespace tarnwick {

// The dials a longitude graph folds the zodiac onto, degrees. A crossing of two folded lines
// is an aspect that is a multiple of the dial: the 30- and 15-degree dials are the grids.
inline constexpr std::array<int, 5> kGraphDials = {360, 90, 45, 30, 15};
bool IsGraphDial(int degrees);

// The ecliptic's obliquity, degrees: the declination guides at +-23.44.
inline constexpr double kObliquityDeg = 23.44;

// What a graph's lines show, from the run's kind and switches.
enum class GraphQuantity { Longitude, RightAscension, Declination, GeoLatitude };

// One line: a body on a centre, or the midpoint (mid-degree) of two of them.
struct GraphLineKey {
  int body = 0;
  Centre centre = Centre::Geo;
  int partner = -1;               // the second body of a midpoint line; -1 for a body line
  Centre partner_centre = Centre::Geo;
  bool IsMidpoint() const { return partner >= 0; }
  friend bool operator==(const GraphLineKey&, const GraphLineKey&) = default;
};

struct GraphSample {
  double jd_ut = 0.0;   // Julian day, Universal Time
  double value = 0.0;   // degrees: longitude or RA in [0, 360) (mid-degree in [0, 30)), or
                        // declination / latitude, signed
  double motion = 0.0;  // degrees per day of `value`
};

struct GraphLine {
  GraphLineKey key;
  std::string label;                 // "Sun", "h. Mars", "Moon/Venus mp"
  int style = 0;                     // colour and dash: index into the palette, per body
  double turn = 360.0;               // degrees of one turn of the value: 30 for a mid-degree
  std::vector<GraphSample> samples;  // in time order
};

// A found row as a marker: at its moment, on P1's line.
struct GraphMarker {
  std::size_t row = 0;     // index into the run's rows
  double jd_ut = 0.0;      // the exact moment
  double value = 0.0;      // P1's position, degrees, as the row holds it
  bool contra = false;     // declination runs: a contra-parallel (the signs differ)
};

// Everything a graph shows of a run, before the dial and the zoom are chosen.
struct GraphData {
  GraphQuantity quantity = GraphQuantity::Longitude;
  bool midpoints = true;     // midpoint lines, else mid-degree lines
  bool near_rule = true;     // the mid-degree's near rule
  int grid_dial = 15;        // the run's grid: the default dial
  double start_jd = 0.0;     // the span, Julian days (UT)
  double end_jd = 1.0;
  std::shared_ptr<const TimeZone> zone;  // the report's zone: date axis in local days
  std::vector<GraphLine> lines;          // body lines first, then midpoint lines
  std::vector<GraphMarker> markers;      // one per row, in row order
  std::vector<std::string> titles;       // the report line of each row, no line end
  std::shared_ptr<const NatalPoints> natal;  // the chart's fixed points: flat lines; or null

  bool Folds() const { return quantity == GraphQuantity::Longitude || quantity == GraphQuantity::RightAscension; }
};

// The lines of a plan: every body and centre it judged available, and with P3 a midpoint
// line for each P2/P3 pair that a row was found with; markers and titles from the rows (in
// their order, titles the report lines of the plan's layout). Samples are left empty.
GraphData GraphOfRun(const RunPlan& plan, const FoundAspects& rows);

// The value of a line at jd_ut from the provider (switches set as the plan's), with its
// daily motion in `motion`.
double LineValue(PositionProvider& eph, GraphQuantity quantity, const GraphLineKey& key, bool midpoints,
                 bool near_rule, double jd_ut, double& motion);

// The pixel box and the stretch of time and values a graph shows.
struct GraphFrame {
  double t0 = 0.0, t1 = 1.0;             // Julian days (UT) at the left and right edge
  double left = 0.0, top = 0.0;          // plot area, pixels
  double width = 800.0, height = 500.0;
  double v_low = 0.0, v_high = 360.0;    // value at the bottom and the top edge, degrees
  int dial = 360;                        // folding of longitude graphs; 0 for none

  double X(double jd) const { return left + (jd - t0) / (t1 - t0) * width; }
  double Y(double v) const { return top + (v_high - v) / (v_high - v_low) * height; }
  double JdAtX(double x) const { return t0 + (x - left) / width * (t1 - t0); }
  double PixelsPerDegree() const { return height / (v_high - v_low); }
};

// The frame of a graph of `data` in a plot box: the whole span; dial 0..dial for folding
// graphs, else a symmetric range that holds every line and the obliquity guides.
GraphFrame FrameFor(const GraphData& data, int dial, double left, double top, double width, double height);

// A longitude folded onto a dial: lon - dial * floor(lon / dial), in [0, dial).
double FoldToDial(double lon_deg, int dial);

// Samples every line of `data` over [t0, t1] finely enough that the polyline strays less
// than `tolerance_px` from the true curve in `frame`'s scale: a coarse grid, then halving
// where the change of motion over a step (its curvature) would bend the curve more. Times
// lie on a grid of binary fractions of a day, so that a cache of positions serves the same
// moments again after a pan.
void SampleLines(GraphData& data, PositionProvider& eph, const GraphFrame& frame, double t0, double t1,
                 double tolerance_px = 0.2);

struct GraphPoint {
  double x = 0.0, y = 0.0;
};
// A stretch of a line drawn unbroken: within one turn of the dial, one sense of motion.
struct GraphPiece {
  std::vector<GraphPoint> points;
  bool retrograde = false;   // longitude moving backwards
};
// A line in pixels: folded and broken at the dial's wrap (with the point of the wrap on both
// sides, at the edge), at a change of direction (longitude graphs) and at a jump of a
// midpoint line (its shorter arc flipping). `mirror` draws minus the value (declination
// graphs: where a line crosses another's mirror, the two are contra-parallel).
std::vector<GraphPiece> LinePieces(const GraphLine& line, const GraphFrame& frame, bool mirror = false);

// A marker's place in pixels: P1's position folded on the frame's dial.
GraphPoint MarkerPoint(const GraphMarker& marker, const GraphFrame& frame);

// The marker nearest to (x, y) within radius_px, as an index into data.markers.
std::optional<std::size_t> MarkerAt(const GraphData& data, const GraphFrame& frame, double x, double y,
                                    double radius_px);

// Distance from a point to the nearest piece of a line, pixels.
double DistanceToLine(const std::vector<GraphPiece>& pieces, GraphPoint p);

struct GraphTick {
  double at = 0.0;        // Julian day (time axis) or degrees (value axis)
  std::string label;      // empty for a minor tick
  bool major = false;     // a sign boundary, a month or year start, 0 degrees
};
// Date ticks for [t0, t1] over `width_px`: the first of hours, days, weeks (Mondays), months,
// quarters, years, decades or centuries whose labels stand at least min_gap_px apart, at
// local midnights of the zone.
std::vector<GraphTick> TimeTicks(double t0, double t1, double width_px, const TimeZone& zone,
                                 double min_gap_px = 70.0);
// Degree ticks of the value axis: every 30 degrees labelled by sign on the 360 dial, finer on
// the small dials (every 5 or 15), every 5 or 10 degrees of declination.
std::vector<GraphTick> ValueTicks(const GraphFrame& frame, bool folds);

// The body lines' palette: Okabe and Ito's eight colours for colour-blind readers ("Color
// Universal Design", 2008), as 0xRRGGBB, the yellow last as it reads worst on white; and four
// dash patterns. Style n takes colour n % 8 and dash n / 8 % 4, so the 26 bodies differ in
// grey print by dash and by the label at each line's end.
inline constexpr std::array<unsigned, 8> kOkabeIto = {0x000000, 0xE69F00, 0x56B4E9, 0x009E73,
                                                      0x0072B2, 0xD55E00, 0xCC79A7, 0xF0E442};
unsigned StyleColour(int style);
int StyleDash(int style);  // 0 solid, 1 dashed, 2 dotted, 3 dash-dot

}  // namespace tarnwick
