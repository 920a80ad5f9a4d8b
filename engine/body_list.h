// Body lists as a user types them: "5,6,7-9", "Sun,Moon,Mn Node", "all", "none".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/run_settings.h"

namespace tarnwick {

// Lower case without blanks: "Mn Node" and "mnnode" are the same name.
std::string SqueezedName(std::string_view name);

// Reads a body list: indices and ranges ("5,6,7-9"), captions ("Sun,Moon,Mn Node"; any case,
// blanks ignored), "all" or "none". Nothing when an item names no body (its text in bad_item).
std::optional<BodySelection> ParseBodyList(const std::string& text, std::string* bad_item);

// The same for P2 and P3, whose lists may also name the chart angles: "asc" or "ascendant"
// or 26, "mc" or "midheaven" or 27 (not in a range; "all" means the catalogue's bodies).
// `angles` receives them.
std::optional<BodySelection> ParseBodyList(const std::string& text, std::string* bad_item,
                                           AngleSelection& angles);

}  // namespace tarnwick
