// A position provider that remembers what it was asked: the positions at the ends of a scan's
// windows, shared by every combination that uses the same body on the same centre, and the
// secant's points, each asked twice on consecutive passes.
#pragma once

#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "core/position_provider.h"

namespace tarnwick {

// Wraps another provider of the same thread. Results are the inner provider's, bit for bit:
// a remembered answer is the value and daily motion the inner provider gave for the same
// method, body, moment and switches; or, for a moment the inner provider was never asked
// about, what a caller offered through Remember() or RememberApproximate(). Not thread-safe; one per thread, like the provider.
class PositionCache final : public PositionProvider {
 public:
  explicit PositionCache(PositionProvider& inner) : inner_(inner) {
    switches_ = inner.switches();
    natal_ = inner.natal_points();
  }

  double Get_1_Planet_geo(double t, int body) override { return Get(kGeo, t, body); }
  double Get_1_Planet_helio(double t, int body) override { return Get(kHelio, t, body); }
  double Get_1_Planet_decl(double t, int body) override { return Get(kDecl, t, body); }
  double Get_1_Planet_latitude(double t, int body) override { return Get(kLatitude, t, body); }
  BodyAvailability Availability(int body, Centre centre, double jd_ut) override {
    return inner_.Availability(body, centre, jd_ut);
  }
  // An answer already known for the moment serves; otherwise the inner provider's quick
  // answer, which is not kept (it is not the method's to the last bit).
  double QuickLongitude(Centre centre, double t, int body) override {
    const Method m = centre == Centre::Helio ? kHelio : kGeo;
    if (const auto it = entries_.find(KeyOf(m, t, body)); it != entries_.end() && !it->second.approximate) {
      ++hits_;
      last_daily_motion_ = it->second.motion;
      return it->second.value;
    }
    const double v = inner_.QuickLongitude(centre, t, body);
    last_daily_motion_ = inner_.LastDailyMotion();
    return v;
  }
  double QuickMotionError(Centre centre, int body) override { return inner_.QuickMotionError(centre, body); }
  // Kept unless the library's own answer for that moment is already known.
  void Remember(PositionMethod method, double t, int body, double value, double motion) override {
    entries_.try_emplace(KeyOf(static_cast<Method>(method), t, body), Entry{value, motion, false});
  }
  // The same for a value interpolated between library answers further apart (the ends of a
  // scan's windows, see engine/window_ends.h): answered like the others until MakeExact().
  void RememberApproximate(PositionMethod method, double t, int body, double value, double motion) {
    entries_.try_emplace(KeyOf(static_cast<Method>(method), t, body), Entry{value, motion, true});
  }
  bool IsApproximate(PositionMethod method, double t, int body) const {
    const auto it = entries_.find(KeyOf(static_cast<Method>(method), t, body));
    return it != entries_.end() && it->second.approximate;
  }
  // Forgets an approximate answer, so that the next question goes to the inner provider.
  void MakeExact(PositionMethod method, double t, int body) {
    const auto it = entries_.find(KeyOf(static_cast<Method>(method), t, body));
    if (it != entries_.end() && it->second.approximate) entries_.erase(it);
  }
  void SetSwitches(const PositionSwitches& switches) override {
    if (switches.use_ra != switches_.use_ra || switches.use_geo_lat != switches_.use_geo_lat) Clear();
    switches_ = switches;
    inner_.SetSwitches(switches);
  }

  // Forgets everything; the scan calls this between stretches of the span so that the
  // memory stays that of one stretch.
  void Clear() { entries_.clear(); }
  std::int64_t hits() const { return hits_; }

 private:
  // In the order of PositionMethod.
  enum Method : std::uint64_t { kGeo, kHelio, kDecl, kLatitude };
  static_assert(static_cast<int>(PositionMethod::Latitude) == kLatitude);
  struct Entry {
    double value, motion;
    bool approximate;
  };
  struct KeyHash {
    size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& k) const {
      return std::hash<std::uint64_t>{}(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
    }
  };

  using Key = std::pair<std::uint64_t, std::uint64_t>;
  static Key KeyOf(Method m, double t, int body) {
    std::uint64_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    return {bits, (static_cast<std::uint64_t>(body) << 2) | m};
  }

  double Get(Method m, double t, int body) {
    const Key key = KeyOf(m, t, body);
    if (const auto it = entries_.find(key); it != entries_.end()) {
      ++hits_;
      last_daily_motion_ = it->second.motion;
      return it->second.value;
    }
    double v = 0.0;
    switch (m) {
      case kGeo: v = inner_.Get_1_Planet_geo(t, body); break;
      case kHelio: v = inner_.Get_1_Planet_helio(t, body); break;
      case kDecl: v = inner_.Get_1_Planet_decl(t, body); break;
      case kLatitude: v = inner_.Get_1_Planet_latitude(t, body); break;
    }
    last_daily_motion_ = inner_.LastDailyMotion();
    entries_.emplace(key, Entry{v, last_daily_motion_, false});
    return v;
  }

  PositionProvider& inner_;
  std::unordered_map<std::pair<std::uint64_t, std::uint64_t>, Entry, KeyHash> entries_;
  std::int64_t hits_ = 0;
};

}  // namespace tarnwick
