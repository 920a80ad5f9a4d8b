// Sky events in the CSV of a run: one record per event, in the columns of the aspect records,
// merged with them in time order.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/date_text.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/sky_events.h"
#include "store/atomic_file.h"

namespace tarnwick {

// An event's record in the columns of RunCsv:
//   kind          "event: " and the report line's event word ("event: station")
//   p1, p1_centre the body and its centre; p2 .. p3_centre empty
//   local_time, utc  the moment, as for an aspect
//   aspect_codes  what happened, as the report line says it ("turns retrograde")
//   aspect1_deg   the lunation's elongation (0, 90, 180, 270) or the void's aspect angle;
//                 else empty. aspect2_deg, aspect3_deg empty
//   p1_deg        the longitude, or the declination for out of bounds, 6 decimals
//   p1_sign       the longitude as degree and minute in its sign (not for out of bounds)
std::string EventCsvRecord(const SkyEvent& event, const TimeZone& zone, DateOrder order);

// The CSV of RunCsv (a header and one record per row of `rows`, in their order) with one
// record per event merged in by moment; at the same moment the aspect's record comes first.
std::string MergeEventRecords(std::string_view csv, const FoundAspects& rows, const SkyEvents& events,
                              const TimeZone& zone, DateOrder order);

// SaveRunCsv with the run's events among the rows.
FileStatus SaveRunCsvWithEvents(const std::filesystem::path& path, const FoundAspects& rows,
                                const SkyEvents& events, ScanKind kind, const RunSettings& settings,
                                const RegionalFormat& format, std::string_view chart_name = {});

}  // namespace tarnwick
