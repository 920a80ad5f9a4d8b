#include "engine/sky_events.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/angles.h"
#include "core/number_text.h"
#include "engine/body_list.h"
#include "engine/crossing_search.h"
#include "engine/motion_bounds.h"
#include "engine/run_inputs.h"
#include "engine/scan.h"

namespace tarnwick {

namespace {

constexpr std::string_view kListWords[kEventKinds] = {"stations", "ingresses", "lunations",
                                                      "eclipses", "oob",       "voc"};

// Events are searched in windows of a day: no body changes sign twice, turns twice or crosses
// a bound twice within one, except close to a turn, which FindTurn looks into.
constexpr double kWindowDays = 1.0;
// A component that ends further than this from zero after the refinement was bisected
// instead; degrees (or degrees per day for the speed at a station).
constexpr double kMaxEventResidualDeg = 0.01;
constexpr double kMaxSpeedResidual = 1e-5;
// Without a bound on a body's acceleration, a component nearer zero than this at both ends of
// a window is looked at inside for two crossings. Degrees.
constexpr double kEventTurnBandDeg = 0.5;
// Half the step of the central difference that gives the rate of a body's speed, days.
constexpr double kSpeedRateStepDays = 0.01;
// The Moon spends at most about two and a half days in a sign: the aspects and the ingress
// that frame a void in progress at either end of the span lie within this, days.
constexpr double kVoidMarginDays = 3.0;
// An eclipse belongs to the new or full moon within this, days (greatest eclipse lies hours
// at most from the syzygy).
constexpr double kEclipseAtLunationDays = 0.5;

// Splits at commas, items trimmed of blanks.
std::vector<std::string> Items(std::string_view text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t comma = std::min(text.find(',', pos), text.size());
    std::string item(text.substr(pos, comma - pos));
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    out.push_back(item);
    pos = comma + 1;
  }
  return out;
}

// Signed difference b - a on the circle, (-180, 180].
double Turn(double a, double b) {
  const double d = Reduce_to_under_360(b - a);
  return d > 180.0 ? d - 360.0 : d;
}

// The Moon and a partner on the aspect search's windows for the Moon, up to `to`.
Combination MoonWith(int partner, double to) {
  return {{idxMoon, partner, partner}, {Centre::Geo, Centre::Geo, Centre::Geo}, kMoonStep,
          to - kLastMoonWindowMarginDays, to};
}

std::int64_t DayWindows(double from, double to) {
  std::int64_t n = 0;
  for (double t = from; t < to; t += kWindowDays) ++n;
  return n;
}

// The window loop of one smooth component: each window's sign change is refined, a window
// whose component stays near zero at both ends (within turn_band) is looked into for two
// crossings. eval(x) gives the component's value and rate at x, for the window starting at
// t; found(jd, direction) receives each crossing.
template <class Eval, class Found>
void SearchWindow(Eval&& eval, double t, double t_end, double turn_band, double max_residual, Found&& found) {
  const Slope a = eval(t), b = eval(t_end);
  if (SignChange(a.h, b.h)) {
    // A crossing exactly at t_end is the next window's.
    if (b.h == 0.0 && a.h != 0.0) return;
    found(CrossingIn(eval, t, a, t_end, b, max_residual).first, Direction(a.h, b.h));
  } else if (std::min(std::fabs(a.h), std::fabs(b.h)) <= turn_band) {
    FindTurn([&](double x) { return eval(x).h; }, t, t_end, a.h, b.h, found);
  }
}

double TurnBand(int body, MotionCoordinate coordinate, double step) {
  const MotionBound m = MaxMotion(body, coordinate);
  if (m.speed == 0.0) return kEventTurnBandDeg;
  return m.accel * step * step / 8.0 + kMaxEventResidualDeg;
}

class EventFinder {
 public:
  EventFinder(PositionProvider& eph, const std::atomic<bool>* cancel, const EventProgress& advance, double from,
              double to)
      : eph_(eph), cancel_(cancel), advance_(advance), from_(from), to_(to) {}

  void Tick() {
    if (advance_) advance_(1);
  }

  bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

  double Longitude(double x, int body, Centre centre) {
    return centre == Centre::Helio ? eph_.Get_1_Planet_helio(x, body) : eph_.Get_1_Planet_geo(x, body);
  }

  // Crossings of the sign boundaries by a body's longitude over [from, to].
  void Ingresses(int body, Centre centre, double from, double to, SkyEvents& out) {
    const MotionCoordinate coordinate =
        centre == Centre::Helio ? MotionCoordinate::HelioLongitude : MotionCoordinate::GeoLongitude;
    const double band = TurnBand(body, coordinate, kWindowDays);
    for (double t = from; t < to && !cancelled(); t += kWindowDays) {
      Tick();
      const double t_end = std::min(t + kWindowDays, to);
      const double lon0 = Longitude(t, body, centre);
      const double lon1 = lon0 + Turn(lon0, Longitude(t_end, body, centre));
      // The boundary crossed, or else the one nearest to the window's ends.
      double boundary;
      if (std::floor(lon0 / 30.0) != std::floor(lon1 / 30.0)) {
        boundary = 30.0 * std::floor(std::max(lon0, lon1) / 30.0);
      } else {
        const double below = 30.0 * std::floor(lon0 / 30.0);
        const double near = std::min({lon0 - below, lon1 - below});
        const double far = std::min({below + 30.0 - lon0, below + 30.0 - lon1});
        boundary = near <= far ? below : below + 30.0;
      }
      const auto eval = [&](double x) {
        const double lon = lon0 + Turn(lon0, Longitude(x, body, centre));
        return Slope{lon - boundary, eph_.LastDailyMotion()};
      };
      SearchWindow(eval, t, t_end, band, kMaxEventResidualDeg, [&](double e, int direction) {
        if (e < from || e > to) return;
        SkyEvent ev;
        ev.kind = EventKind::Ingress;
        ev.body = body;
        ev.centre = centre;
        ev.jd_ut = e;
        ev.position = Reduce_to_under_360(boundary);
        const int entered = static_cast<int>(std::lround(boundary / 30.0)) - (direction < 0 ? 1 : 0);
        ev.detail = ((entered % 12) + 12) % 12;
        ev.direction = direction;
        if (!Repeated(out, ev)) out.push_back(ev);
      });
    }
  }

  // Zeros of a body's geocentric speed in longitude.
  void Stations(int body, SkyEvents& out) {
    const auto speed = [&](double x) {
      eph_.Get_1_Planet_geo(x, body);
      return eph_.LastDailyMotion();
    };
    const auto eval = [&](double x) {
      const double rate = (speed(x + kSpeedRateStepDays) - speed(x - kSpeedRateStepDays)) / (2 * kSpeedRateStepDays);
      return Slope{speed(x), rate};
    };
    for (double t = from_; t < to_ && !cancelled(); t += kWindowDays) {
      Tick();
      const double t_end = std::min(t + kWindowDays, to_);
      // No planet turns twice within days of a station: no look for two turns in a window.
      SearchWindow(eval, t, t_end, -1.0, kMaxSpeedResidual, [&](double e, int direction) {
        SkyEvent ev;
        ev.kind = EventKind::Station;
        ev.body = body;
        ev.jd_ut = e;
        ev.position = Longitude(e, body, Centre::Geo);
        ev.detail = direction;  // speed rising through zero: turns direct
        ev.direction = direction;
        if (!Repeated(out, ev)) out.push_back(ev);
      });
    }
  }

  // Crossings of ± the true obliquity by a body's geocentric declination.
  void Bounds(int body, SkyEvents& out) {
    const double band = TurnBand(body, MotionCoordinate::GeoDeclination, kWindowDays);
    for (const int side : {1, -1}) {
      // side · declination − obliquity: below zero within the bounds, above zero beyond them.
      const auto eval = [&](double x) {
        const double decl = eph_.Get_1_Planet_decl(x, body);
        return Slope{side * decl - TrueObliquity(x), side * eph_.LastDailyMotion()};
      };
      for (double t = from_; t < to_ && !cancelled(); t += kWindowDays) {
        Tick();
        const double t_end = std::min(t + kWindowDays, to_);
        SearchWindow(eval, t, t_end, band, kMaxEventResidualDeg, [&](double e, int direction) {
          SkyEvent ev;
          ev.kind = EventKind::OutOfBounds;
          ev.body = body;
          ev.jd_ut = e;
          ev.position = eph_.Get_1_Planet_decl(e, body);
          ev.detail = direction;
          ev.direction = side;
          if (!Repeated(out, ev)) out.push_back(ev);
        });
      }
    }
  }

  // Exact Moon-to-body aspects on the 30-degree grid over [from, to], by the aspect search.
  struct MoonAspect {
    double jd;
    int body;
    int angle;  // degrees, 0..180
  };
  std::vector<MoonAspect> MoonAspects(int partner, double from, double to) {
    const Combination c = MoonWith(partner, to);
    RunInputs in;
    in.start_jd = from;
    in.end_jd = to - 1.0;
    const SolverProblem problem{c.body, c.centre, true, true, false};
    ScanControl control;
    control.cancel = cancel_;
    control.advance = advance_;
    std::vector<MoonAspect> out;
    for (const FoundAspect& row : ScanCombination(ScanKind::Longitude, eph_, problem, c, in, {}, control)) {
      const double elongation = Reduce_to_under_360(row.position[0] - row.position[1]);
      const int multiple = static_cast<int>(std::lround(elongation / 30.0)) % 12;
      out.push_back({row.jd_ut, partner, multiple <= 6 ? multiple * 30 : 360 - multiple * 30});
    }
    return out;
  }

  // Whether `e` was found already (from the window before, a crossing at the boundary): the
  // same kind, body, direction and detail within the solver's tolerance. Each body's events
  // of one kind are appended in time order, so the look back ends at the first earlier one.
  static bool Repeated(const SkyEvents& list, const SkyEvent& e) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
      if (it->kind != e.kind || it->body != e.body || it->direction != e.direction) continue;
      if (it->detail == e.detail && std::fabs(it->jd_ut - e.jd_ut) < kSameCrossingDays) return true;
      if (it->jd_ut < e.jd_ut - kSameCrossingDays) return false;
    }
    return false;
  }

  PositionProvider& eph_;
  const std::atomic<bool>* cancel_;
  EventProgress advance_;
  double from_, to_;
};

}  // namespace

std::string_view EventListWord(EventKind kind) { return kListWords[static_cast<size_t>(kind)]; }

std::string_view SignName(int sign) { return kSignNames[static_cast<size_t>(((sign % 12) + 12) % 12)]; }

BodySelection EventChoice::DefaultVocBodies() {
  BodySelection s{};
  for (int b = idxSun; b <= 9; ++b) s[static_cast<size_t>(b)] = b != idxMoon;
  return s;
}

bool EventChoice::any() const { return std::any_of(kinds.begin(), kinds.end(), [](bool k) { return k; }); }

std::optional<EventChoice> ParseEventList(std::string_view text, std::string* bad_item) {
  EventChoice choice;
  const std::string all = SqueezedName(text);
  if (all == "none" || all.empty()) return choice;
  if (all == "all") {
    choice.kinds.fill(true);
    return choice;
  }
  for (const std::string& item : Items(text)) {
    const std::string word = SqueezedName(item);
    bool known = false;
    for (int k = 0; k < kEventKinds; ++k) {
      if (word == kListWords[k]) {
        choice.kinds[static_cast<size_t>(k)] = true;
        known = true;
      }
    }
    if (!known) {
      if (bad_item) *bad_item = item;
      return std::nullopt;
    }
  }
  return choice;
}

std::optional<std::vector<int>> ParseAngleList(std::string_view text, std::string* bad_item) {
  std::vector<int> angles;
  for (const std::string& item : Items(text)) {
    const bool digits = !item.empty() && item.size() <= 3 &&
                        std::all_of(item.begin(), item.end(), IsAsciiDigit);
    const int angle = digits ? std::stoi(item) : -1;
    if (angle < 0 || angle > 180) {
      if (bad_item) *bad_item = item;
      return std::nullopt;
    }
    if (std::find(angles.begin(), angles.end(), angle) == angles.end()) angles.push_back(angle);
  }
  return angles;
}

bool EventOffered(EventKind kind, Centre centre) {
  return centre == Centre::Geo || kind == EventKind::Ingress;
}

bool HasStations(int body) { return (body >= 2 && body <= 9) || (body >= 15 && body <= LastBodyIndex); }

bool CanBeOutOfBounds(int body) {
  return IsBodyIndex(body) && body != idxSun && body != idxMeanNode && body != idxTrueNode && body != idxEarth;
}

std::int64_t EventWindowCount(const EventChoice& choice, const BodySelection& bodies, Centre centre, double from_jd,
                              double to_jd) {
  const auto wanted = [&](EventKind k) { return choice.Has(k) && EventOffered(k, centre); };
  const std::int64_t days = DayWindows(from_jd, to_jd);
  std::int64_t n = 0;
  for (int b = 0; b <= LastBodyIndex; ++b) {
    if (!bodies[static_cast<size_t>(b)]) continue;
    if (wanted(EventKind::Station) && HasStations(b)) n += days;
    if (wanted(EventKind::Ingress) && TakesRole(b, centre)) n += days;
    if (wanted(EventKind::OutOfBounds) && CanBeOutOfBounds(b)) n += 2 * days;
  }
  if (wanted(EventKind::Lunation)) n += WindowCount(MoonWith(idxSun, to_jd), from_jd);
  if (wanted(EventKind::VoidOfCourse)) {
    const double lo = from_jd - kVoidMarginDays, hi = to_jd + kVoidMarginDays;
    for (int b = 0; b <= LastBodyIndex; ++b) {
      if (b != idxMoon && b != idxEarth && choice.voc_bodies[static_cast<size_t>(b)]) n += WindowCount(MoonWith(b, hi), lo);
    }
    n += DayWindows(lo, hi);
  }
  return n;
}

EventSearch FindSkyEvents(PositionProvider& eph, const EventChoice& choice, const BodySelection& bodies,
                          Centre centre, double from_jd, double to_jd, const std::atomic<bool>* cancel,
                          const EventProgress& advance) {
  EventSearch out;
  const PositionSwitches kept = eph.switches();
  eph.SetSwitches({});  // ecliptic longitudes and equatorial declinations
  EventFinder find(eph, cancel, advance, from_jd, to_jd);

  std::vector<std::string> not_offered;
  for (int k = 0; k < kEventKinds; ++k) {
    const auto kind = static_cast<EventKind>(k);
    if (choice.Has(kind) && !EventOffered(kind, centre)) not_offered.emplace_back(EventListWord(kind));
  }
  if (!not_offered.empty()) {
    std::string list;
    for (const std::string& w : not_offered) list += (list.empty() ? "" : ", ") + w;
    out.notices.push_back("Events: " + list + " are seen from the Earth; with P1 heliocentric they were not searched.");
  }
  const auto wanted = [&](EventKind k) { return choice.Has(k) && EventOffered(k, centre); };

  // Bodies that cannot be computed are left out with the provider's words.
  std::array<bool, BodyCount> usable{};
  for (int b = 0; b <= LastBodyIndex; ++b) {
    const bool needed = bodies[static_cast<size_t>(b)] || b == idxMoon || b == idxSun ||
                        (wanted(EventKind::VoidOfCourse) && choice.voc_bodies[static_cast<size_t>(b)]);
    if (!needed || (centre == Centre::Geo ? b == idxEarth : false)) continue;
    const Centre c = b == idxMoon || b == idxSun ? Centre::Geo : centre;
    const BodyAvailability start = eph.Availability(b, c, from_jd), end = eph.Availability(b, c, to_jd);
    usable[static_cast<size_t>(b)] = start.available() && end.available();
    if (!usable[static_cast<size_t>(b)] && bodies[static_cast<size_t>(b)]) {
      out.notices.push_back("Events: " + std::string(BodyName(b)) + " was left out: " +
                            (start.available() ? end.message : start.message));
    }
  }
  const auto p1 = [&](int b) { return bodies[static_cast<size_t>(b)] && usable[static_cast<size_t>(b)]; };

  SkyEvents& ev = out.events;
  for (int b = 0; b <= LastBodyIndex; ++b) {
    if (!p1(b)) continue;
    if (wanted(EventKind::Station) && HasStations(b)) find.Stations(b, ev);
    if (wanted(EventKind::Ingress) && TakesRole(b, centre)) find.Ingresses(b, centre, from_jd, to_jd, ev);
    if (wanted(EventKind::OutOfBounds) && CanBeOutOfBounds(b)) find.Bounds(b, ev);
  }

  std::vector<Eclipse> eclipses;
  if (wanted(EventKind::Eclipse) || wanted(EventKind::Lunation)) {
    EclipseSearch found = FindEclipses(from_jd - 1.0, to_jd + 1.0);
    if (!found.error.empty()) out.notices.push_back("Events: eclipses could not be searched: " + found.error);
    eclipses = std::move(found.eclipses);
  }
  if (wanted(EventKind::Eclipse)) {
    for (const Eclipse& e : eclipses) {
      if (e.greatest_jd_ut < from_jd || e.greatest_jd_ut > to_jd) continue;
      SkyEvent x;
      x.kind = EventKind::Eclipse;
      x.body = IsSolar(e.kind) ? idxSun : idxMoon;
      x.jd_ut = e.greatest_jd_ut;
      x.position = find.Longitude(x.jd_ut, x.body, Centre::Geo);
      x.eclipse = e.kind;
      x.eclipse_jd_ut = e.greatest_jd_ut;
      ev.push_back(x);
    }
  }
  if (wanted(EventKind::Lunation) && usable[idxMoon] && usable[idxSun] && !find.cancelled()) {
    for (const auto& a : find.MoonAspects(idxSun, from_jd, to_jd)) {
      if (a.angle % 90 != 0) continue;
      SkyEvent x;
      x.kind = EventKind::Lunation;
      x.body = idxMoon;
      x.jd_ut = a.jd;
      x.position = find.Longitude(a.jd, idxMoon, Centre::Geo);
      // The elongation tells the first quarter (90 ahead of the Sun) from the last.
      const double elongation = Reduce_to_under_360(x.position - find.Longitude(a.jd, idxSun, Centre::Geo));
      x.detail = static_cast<int>(std::lround(elongation / 90.0)) % 4;
      for (const Eclipse& e : eclipses) {
        const bool fits = IsSolar(e.kind) ? x.detail == 0 : x.detail == 2;
        if (fits && std::fabs(e.greatest_jd_ut - a.jd) < kEclipseAtLunationDays) {
          x.eclipse = e.kind;
          x.eclipse_jd_ut = e.greatest_jd_ut;
        }
      }
      ev.push_back(x);
    }
  }
  if (wanted(EventKind::VoidOfCourse) && usable[idxMoon] && !find.cancelled()) {
    const double lo = from_jd - kVoidMarginDays, hi = to_jd + kVoidMarginDays;
    std::vector<EventFinder::MoonAspect> aspects;
    for (int b = 0; b <= LastBodyIndex; ++b) {
      if (b == idxMoon || b == idxEarth || !choice.voc_bodies[static_cast<size_t>(b)] || !usable[static_cast<size_t>(b)]) continue;
      for (const auto& a : find.MoonAspects(b, lo, hi)) {
        if (std::find(choice.voc_aspects.begin(), choice.voc_aspects.end(), a.angle) != choice.voc_aspects.end()) {
          aspects.push_back(a);
        }
      }
    }
    std::sort(aspects.begin(), aspects.end(), [](const auto& x, const auto& y) { return x.jd < y.jd; });
    SkyEvents ingresses;
    find.Ingresses(idxMoon, Centre::Geo, lo, hi, ingresses);
    for (size_t i = 1; i < ingresses.size(); ++i) {
      const double sign_start = ingresses[i - 1].jd_ut, leaves = ingresses[i].jd_ut;
      SkyEvent x;
      x.kind = EventKind::VoidOfCourse;
      x.body = idxMoon;
      x.jd_ut = sign_start;  // no aspect in the whole sign: void from the ingress on
      for (const auto& a : aspects) {
        if (a.jd >= sign_start && a.jd < leaves) {
          x.jd_ut = a.jd;
          x.aspect_body = a.body;
          x.aspect_angle = a.angle;
        }
      }
      if (x.jd_ut < from_jd || x.jd_ut > to_jd) continue;
      x.position = find.Longitude(x.jd_ut, idxMoon, Centre::Geo);
      x.end_jd_ut = leaves;
      x.detail = ingresses[i].detail;
      ev.push_back(x);
    }
  }
  out.cancelled = find.cancelled();
  std::stable_sort(ev.begin(), ev.end(), [](const SkyEvent& a, const SkyEvent& b) { return a.jd_ut < b.jd_ut; });
  eph.SetSwitches(kept);
  return out;
}

}  // namespace tarnwick
