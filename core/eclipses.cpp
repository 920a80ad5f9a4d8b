#include "core/eclipses.h"

#include <swephexp.h>

#include <algorithm>

namespace tarnwick {

namespace {

// The library gives the eclipse's type as bits; the first of these that is set names it.
// A central eclipse carries SE_ECL_CENTRAL beside its type, which changes nothing here.
bool SolarKind(int flags, EclipseKind& kind) {
  if (flags & SE_ECL_ANNULAR_TOTAL) { kind = EclipseKind::SolarHybrid; return true; }
  if (flags & SE_ECL_TOTAL) { kind = EclipseKind::SolarTotal; return true; }
  if (flags & SE_ECL_ANNULAR) { kind = EclipseKind::SolarAnnular; return true; }
  if (flags & SE_ECL_PARTIAL) { kind = EclipseKind::SolarPartial; return true; }
  return false;
}

bool LunarKind(int flags, EclipseKind& kind) {
  if (flags & SE_ECL_TOTAL) { kind = EclipseKind::LunarTotal; return true; }
  if (flags & SE_ECL_PARTIAL) { kind = EclipseKind::LunarPartial; return true; }
  if (flags & SE_ECL_PENUMBRAL) { kind = EclipseKind::LunarPenumbral; return true; }
  return false;
}

// Eclipses after one another: each search starts a day past the last greatest eclipse found
// (eclipses of one body are at least a lunation apart).
template <class When, class Kind>
bool Collect(double from_jd, double to_jd, When&& when, Kind&& kind_of, EclipseSearch& out) {
  double t = from_jd;
  while (t <= to_jd) {
    double tret[10] = {};
    char serr[AS_MAXCH] = {};
    const int flags = when(t, tret, serr);
    if (flags < 0) {
      out.error = serr;
      return false;
    }
    if (tret[0] > to_jd) break;
    Eclipse e;
    if (tret[0] >= from_jd && kind_of(flags, e.kind)) {
      e.greatest_jd_ut = tret[0];
      out.eclipses.push_back(e);
    }
    t = tret[0] + 1.0;
  }
  return true;
}

}  // namespace

std::string_view EclipseName(EclipseKind kind) {
  switch (kind) {
    case EclipseKind::SolarTotal: return "total solar eclipse";
    case EclipseKind::SolarAnnular: return "annular solar eclipse";
    case EclipseKind::SolarHybrid: return "hybrid solar eclipse";
    case EclipseKind::SolarPartial: return "partial solar eclipse";
    case EclipseKind::LunarTotal: return "total lunar eclipse";
    case EclipseKind::LunarPartial: return "partial lunar eclipse";
    case EclipseKind::LunarPenumbral: return "penumbral lunar eclipse";
  }
  return "eclipse";
}

bool IsSolar(EclipseKind kind) {
  return kind == EclipseKind::SolarTotal || kind == EclipseKind::SolarAnnular ||
         kind == EclipseKind::SolarHybrid || kind == EclipseKind::SolarPartial;
}

EclipseSearch FindEclipses(double from_jd, double to_jd) {
  EclipseSearch out;
  const bool solar = Collect(
      from_jd, to_jd,
      [](double t, double* tret, char* serr) {
        return swe_sol_eclipse_when_glob(t, SEFLG_SWIEPH, 0, tret, 0, serr);
      },
      SolarKind, out);
  const bool lunar = solar && Collect(
      from_jd, to_jd,
      [](double t, double* tret, char* serr) { return swe_lun_eclipse_when(t, SEFLG_SWIEPH, 0, tret, 0, serr); },
      LunarKind, out);
  if (!lunar) {
    out.eclipses.clear();
    return out;
  }
  std::stable_sort(out.eclipses.begin(), out.eclipses.end(),
                   [](const Eclipse& a, const Eclipse& b) { return a.greatest_jd_ut < b.greatest_jd_ut; });
  return out;
}

double TrueObliquity(double jd_ut) {
  double x[6] = {};
  char serr[AS_MAXCH] = {};
  // SE_ECL_NUT needs no ephemeris file: x[0] is the true obliquity, x[1] the mean one.
  if (swe_calc_ut(jd_ut, SE_ECL_NUT, 0, x, serr) < 0) return 23.4392911;  // J2000 mean value
  return x[0];
}

}  // namespace tarnwick
