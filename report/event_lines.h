// The report lines of sky events, merged in time order with the aspect lines of a run.
//
// An event line has the columns of a two-body aspect line, so that the moments line up:
//   P1's centre label and caption, a blank     "g. Mercury "
//   the event word, padded to 11, a blank      "station    "
//   the moment (local date and time), 2 blanks "01/28/2008 20:33  "
//   the position: degree in sign as the longitude report writes it ("24.0 (11)"), or for
//   out of bounds the declination ("-23.512")
//   two blanks and what happened               "turns retrograde"
// CR LF ends it. The words: station, ingress, lunation, eclipse, bounds, void.
#pragma once

#include <string>
#include <string_view>

#include "core/calendar.h"
#include "core/time_zone.h"
#include "engine/found_aspects.h"
#include "engine/sky_events.h"

namespace tarnwick {

// The event word of a line: "station", "ingress", "lunation", "eclipse", "bounds", "void".
std::string_view EventWord(EventKind kind);

// What happened, for the line's last column and the CSV:
//   station  "turns retrograde", "turns direct"
//   ingress  "enters Cancer", "enters Gemini (retrograde)"
//   lunation "new moon", "first quarter", "full moon", "last quarter"; with an eclipse
//            ", total solar eclipse greatest 18:17" follows
//   eclipse  "total solar eclipse, greatest"
//   bounds   "out of bounds north", "back in bounds from south"
//   void     "void of course until 01/03/2008 05:12 (enters Virgo), after trine Venus";
//            "..., no aspect in the sign" when the Moon made none
// Times in it are local, each with the zone's offset at that time, as the line's moment.
std::string EventDescription(const SkyEvent& event, const TimeZone& zone, DateOrder order);

// One event line, ended by CR LF.
std::string EventLine(const SkyEvent& event, const TimeZone& zone, DateOrder order);

// The report text of a run with events: the aspect report (one line per row of `rows`, in
// their order, as Display_Aspects_longitude or _declination made it) and one line per event,
// merged by moment; at the same moment the aspect line comes first.
std::string MergeEventLines(std::string_view aspect_report, const FoundAspects& rows,
                            const SkyEvents& events, const TimeZone& zone, DateOrder order);

}  // namespace tarnwick
