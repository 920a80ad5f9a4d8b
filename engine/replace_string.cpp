#include "engine/replace_string.h"

#include <algorithm>
#include <cctype>

namespace tarnwick {

namespace {

// 0-based index of the first occurrence of find in text at or after `from`, or npos.
size_t Find(const std::string& text, std::string_view find, size_t from, bool ignore_case) {
  if (!ignore_case) return text.find(find, from);
  const auto equal = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  if (from > text.size()) return std::string::npos;
  const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                              find.begin(), find.end(), equal);
  return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

}  // namespace

std::string Replace_String(std::string text, std::string_view find, std::string_view replacement,
                           int start, int count, int compare) {
  if (find.empty() || replacement == find) return text;
  const bool ignore_case = compare == 1;
  size_t p = Find(text, find, start > 1 ? static_cast<size_t>(start - 1) : 0, ignore_case);
  int n = 0;
  while (p != std::string::npos) {
    ++n;
    text.replace(p, find.size(), replacement);
    if (count != -1 && n >= count) break;
    p = Find(text, find, p + replacement.size(), ignore_case);
  }
  return text;
}

}  // namespace tarnwick
