// The found rows of a finished run as an iCalendar file (RFC 5545), written through libical:
// one event per row, for calendar programs.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/date_text.h"
#include "core/time_zone.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/sky_events.h"
#include "store/atomic_file.h"

namespace tarnwick {

// What a person reads in a calendar: "Sun 90° Mars", "Moon 0° Mars/Saturn midpoint",
// "Venus at the Mars/Saturn mid-degree", "Sun parallel Venus", "Sun contra-parallel Moon";
// a heliocentric role is marked "(h)", a natal one "(natal)" or "(natal, Anna)" with the
// chart's name; a right-ascension or latitude run says so at the end.
std::string EventSummary(const FoundAspect& row, ScanKind kind, const RunSettings& settings,
                         std::string_view chart_name = {});

// The event's UID: the same for the same run kind, bodies, centres, aspect and minute (UTC),
// so importing the calendar of a re-run updates its events instead of adding them twice.
std::string EventUid(const FoundAspect& row, ScanKind kind, const RunSettings& settings);

// What a person reads in a calendar for a sky event: "Mercury turns retrograde", "Sun enters
// Aries", "Full moon, total lunar eclipse", "Total solar eclipse", "Moon out of bounds north",
// "Moon void of course"; a heliocentric body is marked "(h)".
std::string SkyEventSummary(const SkyEvent& event);

// A sky event's UID: the same for the same kind, body, centre, detail and minute (UTC), so a
// re-run's calendar updates its events rather than doubling them.
std::string SkyEventUid(const SkyEvent& event);

// The calendar of a run's rows (sorted as the report is) and its sky events among them, by
// moment (at the same moment the aspect first). Each VEVENT starts at the moment
// rounded to the minute, in UTC, and lasts one minute; its DESCRIPTION is the row's report
// line with the local time and its UTC offset (the offset in force at that moment, which
// tells the two showings of an autumn hour apart). A sky event's DESCRIPTION is its report
// line; the void-of-course Moon lasts from its start to its end, every other event a minute. The calendar is named (X-WR-CALNAME)
// after the run's kind, span and zone, and the natal chart's name when chart_name is not
// empty. stamp: DTSTAMP, the moment the file is made.
std::string RunIcs(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   const TimeZone& zone, const RegionalFormat& format, std::time_t stamp,
                   const SkyEvents& events = {}, std::string_view chart_name = {});

// Writes the calendar of a finished run to a file the user named (commit or nothing; a link
// is followed). The time zone is read from settings as the run read it.
FileStatus SaveRunIcs(const std::filesystem::path& path, const FoundAspects& rows, ScanKind kind,
                      const RunSettings& settings, const RegionalFormat& format, std::time_t stamp,
                      const SkyEvents& events = {}, std::string_view chart_name = {});

}  // namespace tarnwick
