#include "report/graph_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/midpoints.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

// Samples a graph takes over its span at least, before halving where lines bend: a year
// starts at steps of eight days, which the slow bodies never refine.
constexpr double kCoarseSamplesPerSpan = 32.0;
// The finest step, days: half a minute, below the report's own rounding.
constexpr double kFinestStepDays = 1.0 / 2048.0;
// More samples per pixel column than this are invisible; long spans stop halving there.
constexpr double kSamplesPerPixel = 4.0;

bool FoldsQuantity(GraphQuantity q) { return q == GraphQuantity::Longitude || q == GraphQuantity::RightAscension; }

// The largest power of two (days) not above `days`.
double PowerOfTwoBelow(double days) { return std::exp2(std::floor(std::log2(days))); }

// The change from a to b on a circle of `turn` degrees, in [-turn/2, turn/2).
double CircleStep(double a, double b, double turn) {
  const double d = b - a + turn / 2.0;
  return d - turn * std::floor(d / turn) - turn / 2.0;
}

std::string LineLabel(const GraphLineKey& key, bool midpoints) {
  const auto name = [](int body, Centre centre) {
    const char* prefix = centre == Centre::Helio ? "h. " : centre == Centre::Natal ? "n. " : "";
    return std::string(prefix) + std::string(BodyName(body));
  };
  if (!key.IsMidpoint()) return name(key.body, key.centre);
  return name(key.body, key.centre) + "/" + name(key.partner, key.partner_centre) + (midpoints ? " mp" : " md");
}

double BodyValue(PositionProvider& eph, GraphQuantity q, int body, Centre centre, double jd, double& motion) {
  const double v = FoldsQuantity(q) ? RoleLongitude(eph, jd, body, centre) : RoleDeclination(eph, jd, body, centre);
  motion = centre == Centre::Natal ? 0.0 : eph.LastDailyMotion();  // a natal point stands still
  return v;
}

}  // namespace

bool IsGraphDial(int degrees) {
  return std::find(kGraphDials.begin(), kGraphDials.end(), degrees) != kGraphDials.end();
}

double FoldToDial(double lon_deg, int dial) {
  const double d = static_cast<double>(dial);
  const double f = lon_deg - d * std::floor(lon_deg / d);
  return f >= d ? 0.0 : f;  // a tiny negative value rounds up to `dial` itself
}

unsigned StyleColour(int style) { return kOkabeIto[static_cast<std::size_t>(style) % kOkabeIto.size()]; }
int StyleDash(int style) { return style / 8 % 4; }

GraphData GraphOfRun(const RunPlan& plan, const FoundAspects& rows) {
  GraphData data;
  if (plan.kind == ScanKind::Longitude) {
    data.quantity = plan.switches.use_ra ? GraphQuantity::RightAscension : GraphQuantity::Longitude;
  } else {
    data.quantity = plan.switches.use_geo_lat ? GraphQuantity::GeoLatitude : GraphQuantity::Declination;
  }
  data.midpoints = plan.use_midpoints;
  data.near_rule = plan.near_rule;
  data.grid_dial = plan.grid15 ? 15 : 30;
  data.start_jd = plan.times.start_jd;
  data.end_jd = plan.times.SpanEndJd();
  data.zone = plan.times.ZoneInForce();
  data.natal = plan.natal;

  for (const JudgedBody& judged : plan.judged) {
    if (!judged.availability.available()) continue;
    const GraphLineKey key{judged.body, judged.centre, -1, Centre::Geo};
    const bool seen = std::any_of(data.lines.begin(), data.lines.end(),
                                  [&](const GraphLine& l) { return l.key == key; });
    if (!seen) data.lines.push_back({key, LineLabel(key, plan.use_midpoints), judged.body, 360.0, {}});
  }
  if (plan.use_p3) {
    std::set<std::tuple<int, int, int, int>> pairs;
    for (const FoundAspect& row : rows) {
      const auto pair = std::tuple{row.body[1], static_cast<int>(row.centre[1]), row.body[2], static_cast<int>(row.centre[2])};
      if (!pairs.insert(pair).second) continue;
      const GraphLineKey key{row.body[1], row.centre[1], row.body[2], row.centre[2]};
      data.lines.push_back({key, LineLabel(key, plan.use_midpoints), row.body[1],
                            plan.use_midpoints || plan.kind != ScanKind::Longitude ? 360.0 : 30.0, {}});
    }
  }

  ReportLineWriter titles(ReportLayoutOf(plan));  // one per graph: the zone read once per offset
  data.markers.reserve(rows.size());
  data.titles.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FoundAspect& row = rows[i];
    GraphMarker m{i, row.jd_ut, row.position[0], false};
    if (plan.kind == ScanKind::Declination) {
      // As the search compares them: the partner is P2, or the mean of P2 and P3 (of their
      // sizes, for mid-degrees); unlike signs make the crossing a contra-parallel.
      double partner = row.position[1];
      if (plan.use_p3) {
        partner = plan.use_midpoints ? Find_Midpoint_declination(row.position[1], row.position[2])
                                     : Find_Midpoint_declination(std::fabs(row.position[1]), std::fabs(row.position[2]));
      }
      m.contra = (row.position[0] < 0.0) != (partner < 0.0);
    }
    data.markers.push_back(m);
    std::string line;
    titles.Append(line, row);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    data.titles.push_back(std::move(line));
  }
  return data;
}

double LineValue(PositionProvider& eph, GraphQuantity quantity, const GraphLineKey& key, bool midpoints,
                 bool near_rule, double jd_ut, double& motion) {
  if (!key.IsMidpoint()) return BodyValue(eph, quantity, key.body, key.centre, jd_ut, motion);
  double m2 = 0.0, m3 = 0.0;
  const double v2 = BodyValue(eph, quantity, key.body, key.centre, jd_ut, m2);
  const double v3 = BodyValue(eph, quantity, key.partner, key.partner_centre, jd_ut, m3);
  motion = (m2 + m3) / 2.0;
  if (!FoldsQuantity(quantity)) {
    return midpoints ? Find_Midpoint_declination(v2, v3) : Find_Midpoint_declination(std::fabs(v2), std::fabs(v3));
  }
  return midpoints ? Find_Midpoint(v2, v3) : Find_Middegree(v2, v3, near_rule);
}

GraphFrame FrameFor(const GraphData& data, int dial, double left, double top, double width, double height) {
  GraphFrame f;
  f.t0 = data.start_jd;
  f.t1 = data.end_jd > data.start_jd ? data.end_jd : data.start_jd + 1.0;
  f.left = left;
  f.top = top;
  f.width = std::max(width, 1.0);
  f.height = std::max(height, 1.0);
  if (data.Folds()) {
    f.dial = dial;
    f.v_low = 0.0;
    f.v_high = dial;
    return f;
  }
  f.dial = 0;
  // Room for every line and the guides, in steps of five degrees.
  double most = kObliquityDeg + 1.0;
  for (const GraphLine& line : data.lines) {
    for (const GraphSample& s : line.samples) most = std::max(most, std::fabs(s.value));
  }
  most = std::min(90.0, 5.0 * std::ceil((most + 0.5) / 5.0));
  f.v_low = -most;
  f.v_high = most;
  return f;
}

void SampleLines(GraphData& data, PositionProvider& eph, const GraphFrame& frame, double t0, double t1,
                 double tolerance_px) {
  const double from = std::max(t0, data.start_jd);
  const double to = std::min(t1, data.end_jd);
  eph.SetNatalPoints(data.natal);
  for (GraphLine& line : data.lines) line.samples.clear();
  if (!(to > from)) return;
  const double span = to - from;
  const double coarse = PowerOfTwoBelow(span / kCoarseSamplesPerSpan);
  const double visible_days_per_px = (frame.t1 - frame.t0) / frame.width;
  const double finest = std::max(kFinestStepDays, PowerOfTwoBelow(visible_days_per_px / kSamplesPerPixel));
  const double tolerance_deg = tolerance_px / frame.PixelsPerDegree();
  // Slope of a line moving one degree a day, pixels up per pixel across.
  const double unit_slope = frame.PixelsPerDegree() * visible_days_per_px;
  const bool folds = data.Folds();

  for (GraphLine& line : data.lines) {
    const double turn = line.turn;
    const auto at = [&](double jd) {
      GraphSample s{jd, 0.0, 0.0};
      s.value = LineValue(eph, data.quantity, line.key, data.midpoints, data.near_rule, jd, s.motion);
      return s;
    };
    // Whether the chord from a to b strays more than the tolerance from the curve: a curve
    // whose motion changes by dm over a step h lies up to dm * h / 8 off its chord. A change
    // far from what the motions foretell (a wrap missed, a midpoint's arc flipping) also halves.
    // What counts is the distance across the line: a steep line (the Moon on a small dial)
    // may be off by many pixels up or down and still pass within the tolerance of the point.
    const auto bends = [&](const GraphSample& a, const GraphSample& b) {
      const double h = b.jd_ut - a.jd_ut;
      if (h / 2.0 < finest) return false;
      const double slope = std::min(std::fabs(a.motion), std::fabs(b.motion)) * unit_slope;
      const double across = tolerance_deg * std::sqrt(1.0 + slope * slope);
      if (std::fabs(b.motion - a.motion) * h / 8.0 > across) return true;
      const double change = folds ? CircleStep(a.value, b.value, turn) : b.value - a.value;
      const double foretold = (a.motion + b.motion) / 2.0 * h;
      return std::fabs(change - foretold) > std::max(across, 1e-3);
    };
    std::vector<GraphSample>& out = line.samples;
    out.reserve(static_cast<std::size_t>(span / coarse) + 8);
    GraphSample prev = at(from);
    out.push_back(prev);
    double next = (std::floor(from / coarse) + 1.0) * coarse;
    // Depth-first halving: a stack of the right-hand samples still to reach.
    std::vector<GraphSample> pending;
    while (true) {
      const double t = std::min(next, to);
      pending.push_back(at(t));
      while (!pending.empty()) {
        const GraphSample& b = pending.back();
        if (bends(prev, b)) {
          pending.push_back(at((prev.jd_ut + b.jd_ut) / 2.0));
          continue;
        }
        prev = b;
        out.push_back(b);
        pending.pop_back();
      }
      if (t >= to) break;
      next += coarse;
    }
  }
}

std::vector<GraphPiece> LinePieces(const GraphLine& line, const GraphFrame& frame, bool mirror) {
  std::vector<GraphPiece> pieces;
  const std::vector<GraphSample>& s = line.samples;
  if (s.empty()) return pieces;
  const bool folds = frame.dial > 0;
  // A mid-degree turns within a sign: on the larger dials it wraps at 30.
  const double dial = std::min(static_cast<double>(frame.dial), line.turn);
  const auto point = [&](double jd, double v) { return GraphPoint{frame.X(jd), frame.Y(v)}; };
  const auto y_of = [&](double v) { return mirror ? -v : v; };

  GraphPiece piece;
  double fa = folds ? FoldToDial(s[0].value, static_cast<int>(dial)) : y_of(s[0].value);
  piece.retrograde = folds && s[0].motion < 0.0;
  piece.points.push_back(point(s[0].jd_ut, fa));
  for (std::size_t i = 1; i < s.size(); ++i) {
    const GraphSample& a = s[i - 1];
    const GraphSample& b = s[i];
    if (!folds) {
      piece.points.push_back(point(b.jd_ut, y_of(b.value)));
      continue;
    }
    const double h = b.jd_ut - a.jd_ut;
    // A midpoint line's shorter arc flips by 90 degrees or more; a mid-degree's near rule
    // moves it by 15: such a change is a jump, not a motion, and the line is broken there.
    const double d = CircleStep(a.value, b.value, line.turn);
    const double foretold = (a.motion + b.motion) / 2.0 * h;
    const bool retro = a.motion + b.motion < 0.0;
    if (line.key.IsMidpoint() && std::fabs(d - foretold) > 2.0) {
      pieces.push_back(std::move(piece));
      piece = GraphPiece{};
      piece.retrograde = retro;
      fa = FoldToDial(b.value, static_cast<int>(dial));
      piece.points.push_back(point(b.jd_ut, fa));
      continue;
    }
    if (retro != piece.retrograde) {
      const GraphPoint last = piece.points.back();
      pieces.push_back(std::move(piece));
      piece = GraphPiece{};
      piece.retrograde = retro;
      piece.points.push_back(last);
    }
    double ta = a.jd_ut;
    double fb = fa + d;
    while (true) {
      if (fb >= dial || fb < 0.0) {
        const double edge = fb >= dial ? dial : 0.0;
        const double share = (edge - fa) / (fb - fa);
        const double tc = ta + share * (b.jd_ut - ta);
        piece.points.push_back(point(tc, edge));
        pieces.push_back(std::move(piece));
        piece = GraphPiece{};
        piece.retrograde = retro;
        const double other = fb >= dial ? 0.0 : dial;
        piece.points.push_back(point(tc, other));
        ta = tc;
        fa = other;
        fb += fb >= dial ? -dial : dial;
        continue;
      }
      piece.points.push_back(point(b.jd_ut, fb));
      fa = fb;
      break;
    }
  }
  pieces.push_back(std::move(piece));
  return pieces;
}

GraphPoint MarkerPoint(const GraphMarker& marker, const GraphFrame& frame) {
  const double v = frame.dial > 0 ? FoldToDial(marker.value, frame.dial) : marker.value;
  return {frame.X(marker.jd_ut), frame.Y(v)};
}

std::optional<std::size_t> MarkerAt(const GraphData& data, const GraphFrame& frame, double x, double y,
                                    double radius_px) {
  std::optional<std::size_t> best;
  double best_d2 = radius_px * radius_px;
  // Markers are in time order: only those within the radius in x need a look.
  const auto first = std::lower_bound(data.markers.begin(), data.markers.end(), frame.JdAtX(x - radius_px),
                                      [](const GraphMarker& m, double jd) { return m.jd_ut < jd; });
  for (auto it = first; it != data.markers.end(); ++it) {
    const GraphPoint p = MarkerPoint(*it, frame);
    if (p.x > x + radius_px) break;
    const double d2 = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
    if (d2 <= best_d2) {
      best_d2 = d2;
      best = static_cast<std::size_t>(it - data.markers.begin());
    }
  }
  return best;
}

double DistanceToLine(const std::vector<GraphPiece>& pieces, GraphPoint p) {
  double best = std::numeric_limits<double>::infinity();
  for (const GraphPiece& piece : pieces) {
    for (std::size_t i = 0; i + 1 < piece.points.size(); ++i) {
      const GraphPoint a = piece.points[i];
      const GraphPoint b = piece.points[i + 1];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double len2 = dx * dx + dy * dy;
      const double u = len2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
      const double ex = a.x + u * dx - p.x, ey = a.y + u * dy - p.y;
      best = std::min(best, std::sqrt(ex * ex + ey * ey));
    }
    if (piece.points.size() == 1) {
      best = std::min(best, std::hypot(piece.points[0].x - p.x, piece.points[0].y - p.y));
    }
  }
  return best;
}

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kSigns = {"Ari", "Tau", "Gem", "Can", "Leo", "Vir",
                                                "Lib", "Sco", "Sag", "Cap", "Aqu", "Pis"};

// A step of the date axis: so many hours, days, months or years.
struct TimeStep {
  enum Unit { Hours, Days, Weeks, Months, Years } unit;
  int count;
  double days;  // its length, roughly
};
constexpr std::array<TimeStep, 17> kTimeSteps = {{
    {TimeStep::Hours, 1, 1.0 / 24}, {TimeStep::Hours, 3, 3.0 / 24}, {TimeStep::Hours, 6, 0.25},
    {TimeStep::Hours, 12, 0.5}, {TimeStep::Days, 1, 1}, {TimeStep::Days, 2, 2},
    {TimeStep::Weeks, 1, 7}, {TimeStep::Months, 1, 30.44}, {TimeStep::Months, 3, 91.3},
    {TimeStep::Years, 1, 365.25}, {TimeStep::Years, 2, 730.5}, {TimeStep::Years, 5, 1826},
    {TimeStep::Years, 10, 3652}, {TimeStep::Years, 20, 7305}, {TimeStep::Years, 50, 18262},
    {TimeStep::Years, 100, 36525}, {TimeStep::Years, 500, 182625},
}};
constexpr std::size_t kMostTicks = 4000;

std::string DayLabel(const CalendarDate& d) {
  return std::to_string(d.day) + " " + kMonths[static_cast<std::size_t>(d.month - 1)];
}

}  // namespace

std::vector<GraphTick> TimeTicks(double t0, double t1, double width_px, const TimeZone& zone, double min_gap_px) {
  std::vector<GraphTick> ticks;
  if (!(t1 > t0) || width_px <= 0.0) return ticks;
  const double px_per_day = width_px / (t1 - t0);
  const TimeStep* step = &kTimeSteps.back();
  for (const TimeStep& s : kTimeSteps) {
    if (s.days * px_per_day >= min_gap_px) {
      step = &s;
      break;
    }
  }
  // Local calendar days: a Julian day on the local clock and the instant of a local midnight.
  const CalendarDate first = CalendarDateFromJD(t0 - zone.HoursAt(t0) / 24.0);
  const auto instant = [&](int y, int m, int d, double hours) {
    return zone.InstantOf(ConvertDatetoJD(m, d, y) + hours / 24.0);
  };
  const auto add = [&](double at, std::string label, bool major) {
    if (at >= t0 && at <= t1 && ticks.size() < kMostTicks) ticks.push_back({at, std::move(label), major});
  };
  if (step->unit == TimeStep::Hours || step->unit == TimeStep::Days || step->unit == TimeStep::Weeks) {
    double day_jd = ConvertDatetoJD(first.month, first.day, first.year);
    for (int guard = 0; ticks.size() < kMostTicks && guard < 200000; ++guard, day_jd += 1.0) {
      const CalendarDate d = CalendarDateFromJD(day_jd);
      const double midnight = instant(d.year, d.month, d.day, 0.0);
      if (midnight > t1) break;
      const auto day_number = static_cast<long long>(std::floor(day_jd + 0.5));
      if (step->unit == TimeStep::Hours) {
        add(midnight, DayLabel(d), true);
        for (int h = step->count; h < 24; h += step->count) {
          add(instant(d.year, d.month, d.day, h), (h < 10 ? "0" : "") + std::to_string(h) + ":00", false);
        }
      } else if (step->unit == TimeStep::Days) {
        if (day_number % step->count == 0) add(midnight, DayLabel(d), d.day == 1);
      } else if (day_number % 7 == 0) {  // Julian day numbers divisible by 7 are Mondays
        add(midnight, DayLabel(d), false);
      }
    }
    return ticks;
  }
  int y = first.year, m = first.month;
  if (step->unit == TimeStep::Years) {
    m = 1;
    y -= ((y % step->count) + step->count) % step->count;
  } else {
    m -= (m - 1) % step->count;
  }
  for (int guard = 0; ticks.size() < kMostTicks && guard < 100000; ++guard) {
    const double at = instant(y, m, 1, 0.0);
    if (at > t1) break;
    if (step->unit == TimeStep::Years) {
      add(at, std::to_string(y), y % (step->count * 10) == 0);
      y += step->count;
    } else {
      add(at, m == 1 ? kMonths[0] + std::string(" ") + std::to_string(y) : kMonths[static_cast<std::size_t>(m - 1)], m == 1);
      m += step->count;
      if (m > 12) {
        m -= 12;
        ++y;
      }
    }
  }
  return ticks;
}

std::vector<GraphTick> ValueTicks(const GraphFrame& frame, bool folds) {
  std::vector<GraphTick> ticks;
  if (!folds) {
    const double step = frame.v_high - frame.v_low > 60.0 ? 10.0 : 5.0;
    for (double v = std::ceil(frame.v_low / step) * step; v <= frame.v_high + 1e-9; v += step) {
      const long long whole = std::llround(v);
      ticks.push_back({v, (whole > 0 ? "+" : "") + std::to_string(whole), whole == 0});
    }
    return ticks;
  }
  const int dial = frame.dial;
  const int step = dial == 360 ? 30 : dial == 90 ? 15 : dial == 45 ? 5 : dial == 30 ? 5 : 1;
  for (int v = 0; v <= dial; v += step) {
    const bool sign_start = v % 30 == 0;
    std::string label;
    if (dial == 360) {
      label = std::to_string(v % 360) + " " + kSigns[static_cast<std::size_t>(v / 30 % 12)];
    } else if (dial == 15 && v % 5 != 0) {
      label.clear();
    } else {
      label = std::to_string(v);
    }
    ticks.push_back({static_cast<double>(v), label, sign_start});
  }
  return ticks;
}

}  // namespace tarnwick
