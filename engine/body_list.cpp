#include "engine/body_list.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/bodies.h"
#include "core/number_text.h"

namespace tarnwick {

namespace {

std::optional<int> BodyIndexOf(const std::string& item) {
  if (!item.empty() && item.size() <= 2 && std::all_of(item.begin(), item.end(), IsAsciiDigit)) {
    const int i = std::stoi(item);
    if (IsBodyIndex(i)) return i;
    return std::nullopt;
  }
  const std::string wanted = SqueezedName(item);
  for (const Body& b : BodyCatalogue) {
    if (!wanted.empty() && SqueezedName(b.caption) == wanted) return b.index;
  }
  return std::nullopt;
}

// A chart angle by its index, its caption or its name; nothing for anything else.
std::optional<int> AngleIndexOf(const std::string& item) {
  const std::string wanted = SqueezedName(item);
  for (const int a : {int{idxAscendant}, int{idxMidheaven}}) {
    if (wanted == std::to_string(a) || wanted == SqueezedName(BodyName(a)) ||
        wanted == SqueezedName(kAngleLongNames[AngleSlot(a)])) {
      return a;
    }
  }
  return std::nullopt;
}

std::optional<BodySelection> ParseList(const std::string& text, std::string* bad_item, AngleSelection* angles) {
  BodySelection out{};
  if (angles) angles->fill(false);
  const std::string all = SqueezedName(text);
  if (all == "all") {
    out.fill(true);
    return out;
  }
  if (all == "none" || all.empty()) return out;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t comma = std::min(text.find(',', pos), text.size());
    std::string item = text.substr(pos, comma - pos);
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    const size_t dash = item.find('-');
    bool ok = false;
    if (dash != std::string::npos && dash > 0) {
      const auto a = BodyIndexOf(item.substr(0, dash)), b = BodyIndexOf(item.substr(dash + 1));
      if (a && b && *a <= *b) {
        for (int i = *a; i <= *b; ++i) out[i] = true;
        ok = true;
      }
    } else if (const auto i = BodyIndexOf(item)) {
      out[*i] = true;
      ok = true;
    } else if (const auto a = angles ? AngleIndexOf(item) : std::nullopt) {
      (*angles)[AngleSlot(*a)] = true;
      ok = true;
    }
    if (!ok) {
      if (bad_item) *bad_item = item;
      return std::nullopt;
    }
    pos = comma + 1;
  }
  return out;
}

}  // namespace

std::string SqueezedName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::optional<BodySelection> ParseBodyList(const std::string& text, std::string* bad_item) {
  return ParseList(text, bad_item, nullptr);
}

std::optional<BodySelection> ParseBodyList(const std::string& text, std::string* bad_item,
                                           AngleSelection& angles) {
  AngleSelection read{};
  std::optional<BodySelection> out = ParseList(text, bad_item, &read);
  if (out) angles = read;
  return out;
}

}  // namespace tarnwick
