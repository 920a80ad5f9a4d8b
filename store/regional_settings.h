// The user's regional date order, date separator and decimal sign, read once at start-up
// from the locale (LC_TIME and LC_NUMERIC of the environment).
#pragma once

#include <string_view>

#include "core/date_text.h"

namespace tarnwick {

// Reads the locale of the environment. Month/day/year with "/" and "." when nothing usable
// is found.
RegionalFormat Get_Regional_Settings();

// The analysis behind it, on a strftime date format such as nl_langinfo(D_FMT) gives
// ("%m/%d/%Y", "%d.%m.%Y", "%Y年%m月%d日") and the locale's decimal sign text. The order is
// that of the day, month and year fields; the separator is the text between the fields
// when both are the same single punctuation character, else "/".
RegionalFormat RegionalFormatFromLocale(std::string_view date_format,
                                        std::string_view decimal_sign);

}  // namespace tarnwick
