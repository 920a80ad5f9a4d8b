#include "engine/run_plan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace tarnwick {

namespace {

bool MoonTakesPart(const std::array<int, 3>& body) {
  return body[0] == idxMoon || body[1] == idxMoon || body[2] == idxMoon;
}

RunSettings WithCentres(RunSettings s, const std::array<Centre, 3>& c) {
  s.opt1_ghd = c[0];
  s.opt2_ghd = c[1];
  s.opt3_ghd = c[2];
  return s;
}

// Judges each body and centre once, at the first day and just after the last one: a body
// whose file ends inside the span cannot serve the whole of it.
class SpanJudge {
 public:
  SpanJudge(PositionProvider& eph, const RunInputs& in, std::vector<JudgedBody>& judged)
      : eph_(eph), in_(in), judged_(judged) {}

  bool Usable(int body, Centre centre) {
    const auto it = std::find_if(judged_.begin(), judged_.end(), [&](const JudgedBody& j) {
      return j.body == body && j.centre == centre;
    });
    if (it != judged_.end()) return it->availability.available();
    if (centre == Centre::Natal) {
      judged_.push_back({body, centre, NatalAvailability(body)});
      return judged_.back().availability.available();
    }
    BodyAvailability a = eph_.Availability(body, centre, in_.start_jd);
    if (a.available()) {
      // The end's verdict when it refuses, or when it has a note the start lacked (the
      // library's analytic ephemeris beyond the years of its files).
      BodyAvailability at_end = eph_.Availability(body, centre, in_.SpanEndJd());
      if (!at_end.available() || a.message.empty()) a = std::move(at_end);
    }
    judged_.push_back({body, centre, std::move(a)});
    return judged_.back().availability.available();
  }

 private:
  // A natal point serves the whole span when the chart could compute it at birth.
  BodyAvailability NatalAvailability(int body) const {
    const std::shared_ptr<const NatalPoints>& natal = eph_.natal_points();
    const size_t i = static_cast<size_t>(body);  // a body or a chart angle: NatalPoints holds both
    if (natal && natal->available[i]) return {};
    return {BodyAvailability::Source::Unavailable,
            natal ? natal->why[i] : std::string("no natal chart is loaded")};
  }

  PositionProvider& eph_;
  const RunInputs& in_;
  std::vector<JudgedBody>& judged_;
};

}  // namespace

bool TakesRole(int body, Centre centre) {
  // A chart is cast from the Earth: its points are geocentric.
  if (centre == Centre::Geo || centre == Centre::Natal) return body != idxEarth;
  switch (body) {
    case idxSun: case idxMoon: case idxMeanNode: case idxTrueNode:
    case idxMeanLilith: case idxTrueLilith:
      return false;
    default:
      return true;
  }
}

std::vector<Combination> EnumerateCombinations(ScanKind kind, const RunSettings& s,
                                               const RunInputs& in, Centre* p3_centre) {
  std::vector<Combination> out;
  const Centre c1 = s.opt1_ghd, c2 = s.opt2_ghd;
  Centre p3c = s.opt3_ghd;
  const RoleField &p2_role = kRoleFields[1], &p3_role = kRoleFields[2];
  for (int p1 = 0; p1 <= LastBodyIndex; ++p1) {
    if (!s.chkP1Planets[p1] || !TakesRole(p1, c1)) continue;
    // P2 and P3 run on past the catalogue to the chart angles, which only the natal centre takes.
    for (int p2 = 0; p2 <= LastNatalPointIndex; ++p2) {
      if (!RoleTakesPoint(s, p2_role, p2, c2)) continue;
      if (c1 == c2 && (p2 == p1 || (!s.chkUseP3 && p2 < p1))) continue;
      if (!TakesRole(p2, c2)) continue;
      if (!s.chkUseP3) p3c = c2;  // without P3, the partner is P2 itself, on P2's centre
      const Centre c3 = p3c;
      const int first = s.chkUseP3 ? 0 : p2;
      const int last = s.chkUseP3 ? LastNatalPointIndex : p2;
      for (int p3 = first; p3 <= last; ++p3) {
        if (s.chkUseP3 && !RoleTakesPoint(s, p3_role, p3, c3)) continue;
        if (c1 == c3 && p3 == p1) continue;
        if (s.chkUseP3 && c3 == c2 && p3 <= p2) continue;
        if (!TakesRole(p3, c3)) continue;
        // One body in every role is no pair, except against its own natal point: transiting
        // Saturn to natal Saturn is the Saturn return.
        if (p1 == p2 && p2 == p3 && c2 != Centre::Natal && c3 != Centre::Natal) continue;
        // Day windows start at start_jd; in a zone with summer time the span's local days are
        // not all 24 hours long, so the last window starts where it still reaches the end.
        const double last_start = in.zone ? in.SpanEndJd() - kZoneLastStartMarginDays : in.end_jd;
        Combination c{{p1, p2, p3}, {c1, c2, c3}, 1.0, last_start, in.SpanEndJd()};
        if (kind == ScanKind::Longitude && MoonTakesPart(c.body)) {
          // Windows of a third of a day until the end of the last day, however long the span.
          c.step = kMoonStep;
          c.end_jd = c.span_end_jd - kLastMoonWindowMarginDays;
        }
        out.push_back(c);
      }
    }
  }
  if (p3_centre) *p3_centre = p3c;
  return out;
}

std::int64_t WindowCount(const Combination& c, double start_jd) {
  std::int64_t n = 0;
  for (double t = start_jd; t <= c.end_jd; t += c.step) ++n;
  return n;
}

SolverProblem ProblemFor(const Combination& c, const RunSettings& s) {
  return {c.body, c.centre, s.chkUseMidpoints, s.chkUseNear_and_Far, s.chkInclude15DegAspects};
}

std::vector<std::array<Centre, 3>> CentreSeries(const RunSettings& s, bool with_natal) {
  if (!s.chkAutoCalc) return {{s.opt1_ghd, s.opt2_ghd, s.opt3_ghd}};
  std::vector<std::array<Centre, 3>> series;
  const Centre c[3] = {Centre::Geo, Centre::Helio, Centre::Natal};
  // P1 moves: g or h. P2 and P3 also take n when a chart is loaded.
  const int last = with_natal ? 2 : 1;
  for (int a = 0; a <= 1; ++a) {
    if (s.chkUseP3) {
      // P2 is never heliocentric while P3 is geocentric: {P2, P3} is an unordered pair.
      for (int b = 0; b <= last; ++b) {
        for (int k = b; k <= last; ++k) series.push_back({c[a], c[b], c[k]});
      }
    } else {
      for (int b = a; b <= last; ++b) series.push_back({c[a], c[b], s.opt3_ghd});
    }
  }
  return series;
}

RunPlan PlanRun(ScanKind kind, const RunSettings& s, const RegionalFormat& regional,
                const RunInputs& in, const std::vector<std::array<Centre, 3>>& series,
                PositionProvider& judge) {
  RunPlan plan;
  plan.kind = kind;
  plan.times = in;
  plan.switches = s.switches();
  plan.use_midpoints = s.chkUseMidpoints;
  plan.near_rule = s.chkUseNear_and_Far;
  plan.grid15 = s.chkInclude15DegAspects;
  plan.orb1_deg = static_cast<float>(OrbDegrees(s.txtAspectOrb1, regional.decimal_separator));
  plan.orb2_deg = static_cast<float>(OrbDegrees(s.txtAspectOrb2, regional.decimal_separator));
  plan.use_p3 = s.chkUseP3;
  plan.midpoint_columns = s.chkDisplayP1_P2P3_mp_aspects;
  plan.series = series;
  plan.natal = judge.natal_points();
  plan.centres_after = {s.opt1_ghd, s.opt2_ghd, s.opt3_ghd};

  judge.SetSwitches(plan.switches);
  SpanJudge span(judge, in, plan.judged);
  for (const std::array<Centre, 3>& centres : series) {
    Centre p3_after = centres[2];
    for (const Combination& c : EnumerateCombinations(kind, WithCentres(s, centres), in, &p3_after)) {
      ++plan.admitted;
      bool usable = true;
      for (std::size_t r = 0; r < 3; ++r) usable = span.Usable(c.body[r], c.centre[r]) && usable;
      if (!usable) continue;
      plan.combinations.push_back(c);
      plan.windows += WindowCount(c, in.start_jd);
    }
    plan.centres_after[2] = p3_after;
  }
  if (s.chkAutoCalc) plan.centres_after = {Centre::Geo, Centre::Geo, Centre::Geo};
  return plan;
}

double EstimateRows(const RunPlan& plan, PositionProvider& eph) {
  constexpr int kSamples = 8;
  eph.SetSwitches(plan.switches);
  const RunInputs& in = plan.times;
  const double span_days = in.SpanEndJd() - in.start_jd;
  // Daily motion of a role at sample i, each asked once.
  std::map<std::tuple<int, Centre, int>, double> motion;
  const auto speed = [&](int body, Centre centre, int i) {
    const auto key = std::tuple{body, centre, i};
    if (const auto it = motion.find(key); it != motion.end()) return it->second;
    const double t = in.start_jd + (i + 0.5) * span_days / kSamples;
    if (plan.kind == ScanKind::Longitude) {
      RoleLongitude(eph, t, body, centre);
    } else {
      RoleDeclination(eph, t, body, centre);
    }
    return motion[key] = eph.LastDailyMotion();
  };
  const double grid = plan.grid15 ? 15.0 : 30.0;
  double rows = 0.0;
  for (const Combination& c : plan.combinations) {
    double per_day = 0.0;
    for (int i = 0; i < kSamples; ++i) {
      const double v1 = speed(c.body[0], c.centre[0], i);
      const double partner = (speed(c.body[1], c.centre[1], i) + speed(c.body[2], c.centre[2], i)) / 2.0;
      per_day += plan.kind == ScanKind::Longitude
                     ? std::fabs(v1 - partner) / grid
                     : (std::fabs(v1 - partner) + std::fabs(v1 + partner)) / kDeclinationSwingDeg;
    }
    rows += per_day / kSamples * span_days;
  }
  if (in.time_window) {
    rows *= (in.window_end_minute - in.window_start_minute + 1) / 1440.0;
  }
  return std::max(rows, 0.0);
}

PlannedRun MakeRunPlan(ScanKind kind, const RunSettings& s, const RegionalFormat& regional,
                       PositionProvider& judge) {
  PreparedRun prepared = PrepareRunInputs(s, regional);
  const bool with_natal = judge.natal_points() != nullptr;
  if (s.opt1_ghd == Centre::Natal) {
    prepared.problems.push_back("P1 centre: \"n\" (natal) is for P2 and P3 only; P1 must move (g or h).");
  }
  for (const RoleField& role : {kRoleFields[1], kRoleFields[2]}) {
    if (s.*role.centre == Centre::Natal && !with_natal && !(role.header == "P3" && !s.chkUseP3)) {
      prepared.problems.push_back(std::string(role.header) +
                                  " centre: \"n\" (natal) needs a natal chart; load or make one first.");
    }
  }
  // The chart angles need the birth place; a run that would search them without one says so
  // rather than finding nothing.
  const std::vector<std::array<Centre, 3>> series = CentreSeries(s, with_natal);
  const std::shared_ptr<const NatalPoints>& natal = judge.natal_points();
  for (size_t r = 1; r < kRoleFields.size(); ++r) {
    const RoleField& role = kRoleFields[r];
    if (!natal || !AnyAngleChecked(s, role) || (r == 2 && !s.chkUseP3)) continue;
    const bool on_natal = std::any_of(series.begin(), series.end(),
                                      [r](const std::array<Centre, 3>& c) { return c[r] == Centre::Natal; });
    if (!on_natal || natal->available[static_cast<size_t>(idxAscendant)]) continue;
    const std::string chart = natal->chart_name.empty() ? std::string("the natal chart")
                                                        : "the natal chart \"" + natal->chart_name + "\"";
    prepared.problems.push_back(std::string(role.header) + " Ascendant/Midheaven: " + chart +
                                " has no birth place, so it has no angles; give it a place or "
                                "uncheck the angles.");
  }
  if (!prepared.inputs || !prepared.problems.empty()) return {std::nullopt, std::move(prepared.problems)};
  return {PlanRun(kind, s, regional, *prepared.inputs, series, judge), {}};
}

}  // namespace tarnwick
