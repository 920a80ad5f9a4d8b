// Report file names, built from the run's settings, and the rule that keeps every such name
// a plain file name inside the data folder.
#pragma once

#include <string>
#include <string_view>

#include "core/date_text.h"
#include "engine/run_settings.h"

namespace tarnwick {

// The name as a single, harmless file name: every character that is not printable ASCII or
// that a file system or another platform treats specially (control characters, "/", "\",
// and : * ? " < > |) becomes "-"; so does a leading "." (a hidden file), and a name that
// would be "", "." or ".." becomes "-". Digits, letters, ".", "-", "_", "+", "," and blanks stay,
// so the texts the window lets a user type keep their exact names.
std::string SafeFileName(std::string_view name);

// Longitude report: mmddyyyy of the start and of the end date, the time zone, orb 1 and
// orb 2 as typed, the centre part ("_all_3"/"_all_2" after all combinations, else "_" and
// the letters g/h of P1, P2 and, with chkUseP3, P3), "_mp" / "_md1" (near mid-degree) / "_md",
// "_15" / "_30", "_noRA" / "_RA", then only when a set of aspects leaves out some aspects of
// the grid "_aspects_" and the set ("_aspects_major", "_aspects_0-90-180"), ".txt"; joined
// by "_". With the initial settings: 12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt
// The date texts are read in the regional format; one that is not a date is used as typed.
// The whole name then passes SafeFileName, so settings from any file cannot leave the folder.
std::string LongitudeReportName(const RunSettings& settings, const RegionalFormat& format);

// Declination report: the dates and the time zone as above, "_decl_all_3"/"_decl_all_2" or
// "_decl_" and the centre letters, "_mp" / "_md" (the near rule plays no part), "_15" / "_30",
// "_noRA" / "_RA", "_geoDecl" / "_geoLat", ".txt". The orbs take no part. With the initial
// settings: 12012007_12312007_5_decl_ggg_mp_15_noRA_geoDecl.txt
std::string DeclinationReportName(const RunSettings& settings, const RegionalFormat& format);

}  // namespace tarnwick
