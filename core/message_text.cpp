#include "core/message_text.h"

#include <cstdio>

namespace tarnwick {

namespace {

// Length of the valid UTF-8 sequence that starts text[i] (1 to 4), or 0 when the bytes there
// are not one: a stray continuation byte, a cut-off or overlong sequence, a surrogate, or a
// code point above U+10FFFF.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) return 1;
  // Length from the lead byte; 0x80-0xc1 and 0xf5-0xff lead no valid sequence.
  const size_t n = b >= 0xc2 && b <= 0xdf ? 2 : b >= 0xe0 && b <= 0xef ? 3 : b >= 0xf0 && b <= 0xf4 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  char32_t cp = b & (0x7f >> n);  // the lead byte's payload bits
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xc0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3f);
  }
  const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
  if (overlong || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) return 0;
  return n;
}

void AppendHex(std::string& out, const char* pattern, unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, pattern, value);
  out += buf;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      AppendHex(out, "\\x%02x", b);
      ++i;
    } else if (n == 1 && (b < 0x20 || b == 0x7f)) {
      switch (b) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: AppendHex(out, "\\x%02x", b);
      }
      ++i;
    } else if (n == 2 && b == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      // U+0080 to U+009F: the C1 controls, which some terminals obey as ESC sequences.
      AppendHex(out, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
      i += 2;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string Quoted(std::string_view text) { return "\"" + EscapeControls(text) + "\""; }

}  // namespace tarnwick
