// Replace_String: replaces occurrences of a text within a text.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Replaces occurrences of `find` by `replacement`, searching from the 1-based position
// `start`; at most `count` replacements, or all of them when count is -1. compare 0 matches
// exactly, 1 without regard to ASCII case. An empty find, or a replacement equal to find,
// returns the text unchanged.
std::string Replace_String(std::string text, std::string_view find, std::string_view replacement,
                           int start, int count, int compare);

}  // namespace tarnwick
