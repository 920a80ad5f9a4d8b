// Body lists as a user types them: "5,6,7-9", "Sun,Moon,Mn Node", "all", "none".
#pragma once

#include <optional>
#include <string>

#include "engine/run_settings.h"

namespace tarnwick {

// Reads a body list: indices and ranges ("5,6,7-9"), captions ("Sun,Moon,Mn Node"; any case,
// blanks ignored), "all" or "none". Nothing when an item names no body (its text in bad_item).
std::optional<BodySelection> ParseBodyList(const std::string& text, std::string* bad_item);

}  // namespace tarnwick
