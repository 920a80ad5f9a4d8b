// Sky events: the moments beside aspects that an aspectarian is read for. Stations, sign
// ingresses, lunations with the eclipses among them, out of bounds, and the void-of-course
// Moon, found over the same position provider and root finder as the aspects.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bodies.h"
#include "core/eclipses.h"
#include "core/position_provider.h"
#include "engine/run_settings.h"

namespace tarnwick {

enum class EventKind { Station, Ingress, Lunation, Eclipse, OutOfBounds, VoidOfCourse };
inline constexpr int kEventKinds = 6;

// The word that names a kind in an event list: "stations", "ingresses", "lunations",
// "eclipses", "oob", "voc".
std::string_view EventListWord(EventKind kind);

// Which events a run looks for, and how the void-of-course Moon is counted.
struct EventChoice {
  std::array<bool, kEventKinds> kinds{};  // indexed by EventKind
  bool only = false;  // a calendar of events without the aspect search
  // The void-of-course Moon runs from its last exact aspect before it leaves a sign to that
  // ingress. Counted: these bodies (Sun to Pluto, the traditional choice) ...
  BodySelection voc_bodies = DefaultVocBodies();
  // ... and these angles, degrees 0..180 (the Ptolemaic aspects).
  std::vector<int> voc_aspects = {0, 60, 90, 120, 180};

  bool Has(EventKind k) const { return kinds[static_cast<size_t>(k)]; }
  void Set(EventKind k, bool on) { kinds[static_cast<size_t>(k)] = on; }
  bool any() const;
  static BodySelection DefaultVocBodies();
};

// Reads an event list: kind words separated by commas ("stations,ingresses,voc"), any case,
// blanks ignored; "all" or "none". Nothing when an item names no kind (its text in bad_item).
std::optional<EventChoice> ParseEventList(std::string_view text, std::string* bad_item);

// Reads the angles counted for the void-of-course Moon: whole degrees 0..180 separated by
// commas ("0,60,90,120,180"). Nothing when an item is not such a number.
std::optional<std::vector<int>> ParseAngleList(std::string_view text, std::string* bad_item);

// One event. Which fields mean what depends on the kind:
//   Station       detail and direction +1 turns direct, -1 turns retrograde
//   Ingress       detail the sign entered, 0 Aries .. 11 Pisces; direction +1 forward,
//                 -1 backward (retrograde)
//   Lunation      detail 0 new moon, 1 first quarter, 2 full moon, 3 last quarter; eclipse and
//                 eclipse_jd_ut when an eclipse falls at this new or full moon
//   Eclipse       eclipse, at its greatest (jd_ut); body Sun (solar) or Moon (lunar)
//   OutOfBounds   detail +1 leaves the bounds, -1 comes back within them; direction +1 north,
//                 -1 south
//   VoidOfCourse  jd_ut the last exact aspect (or the ingress into the sign when it made none),
//                 end_jd_ut the ingress that ends it, detail the sign entered then;
//                 aspect_body and aspect_angle the aspect that began it (-1 for none)
struct SkyEvent {
  EventKind kind = EventKind::Station;
  int body = 0;                 // body index; the Moon for lunations and the void
  Centre centre = Centre::Geo;
  double jd_ut = 0.0;           // the moment, Julian day, Universal Time
  // Longitude of date at the moment, [0, 360), degrees; the declination, signed, for out of
  // bounds (the bound it crossed: the true obliquity of date).
  double position = 0.0;
  int detail = 0;
  int direction = 0;
  std::optional<EclipseKind> eclipse;
  double eclipse_jd_ut = 0.0;
  double end_jd_ut = 0.0;       // Julian day, UT
  int aspect_body = -1;
  int aspect_angle = -1;        // degrees, 0..180
};

using SkyEvents = std::vector<SkyEvent>;

struct EventSearch {
  SkyEvents events;                  // in time order; the same moment keeps the kinds' order
  std::vector<std::string> notices;  // kinds not offered for the centre, bodies left out
  bool cancelled = false;
};

// Whether a kind is offered for P1's centre: only ingresses heliocentrically (a planet seen
// from the Sun never stands still or turns back; lunations, eclipses, bounds and the void are
// seen from the Earth).
bool EventOffered(EventKind kind, Centre centre);

// Whether a body has stations worth listing: the planets Mercury to Pluto and the asteroids
// and centaurs (not the Sun and Moon, never retrograde; not the nodes and apogees, whose
// computed motion wobbles).
bool HasStations(int body);

// Whether a body can leave the bounds: everything geocentric off the ecliptic (not the Sun,
// not the nodes, which stay on it).
bool CanBeOutOfBounds(int body);

// Progress of an events search: receives the windows searched since its last call.
using EventProgress = std::function<void(std::int64_t windows_done)>;

// How many windows FindSkyEvents searches for these arguments, for a progress bar (bodies it
// leaves out still count).
std::int64_t EventWindowCount(const EventChoice& choice, const BodySelection& bodies, Centre centre, double from_jd,
                              double to_jd);

// The events of `choice` for the checked `bodies` (P1) on `centre`, from from_jd to to_jd
// (Julian days, UT). Positions are ecliptic longitudes and equatorial declinations of date
// whatever the provider's switches (they are put back afterwards). A body the provider cannot
// compute over the span is left out with a notice. Eclipses come from the library on the
// calling thread.
EventSearch FindSkyEvents(PositionProvider& eph, const EventChoice& choice, const BodySelection& bodies,
                          Centre centre, double from_jd, double to_jd,
                          const std::atomic<bool>* cancel = nullptr, const EventProgress& advance = {});

// Name of a zodiac sign, 0 Aries .. 11 Pisces.
std::string_view SignName(int sign);

}  // namespace tarnwick
