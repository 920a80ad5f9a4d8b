#include "store/text_encoding.h"

#include <array>
#include <cstdint>

namespace tarnwick {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Windows-1252 at 0x80..0x9F; the five bytes the code page leaves undefined map to the C1
// control of the same number, as Windows itself converts them. 0xA0..0xFF are Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string FromCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      AppendUtf8(out, kCp1252High[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

// UTF-16 after its byte order mark. False (and `problem` set) for an odd length or a
// surrogate without its partner.
bool FromUtf16(std::string_view bytes, bool big_endian, std::string& out, std::string& problem) {
  if (bytes.size() % 2 != 0) {
    problem = "it is marked as UTF-16 text but has an odd number of bytes";
    return false;
  }
  const auto unit = [&](size_t i) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(big_endian ? (a << 8) | b : (b << 8) | a);
  };
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) {
      problem = "it is marked as UTF-16 text but holds a broken character at byte " +
                std::to_string(i + 2);  // counted from the file's start, mark included
      return false;
    }
    AppendUtf8(out, u);
  }
  return true;
}

}  // namespace

std::optional<LongLine> FirstLineLongerThan(std::string_view text, std::size_t max_bytes) {
  std::size_t number = 1;
  for (std::size_t start = 0; start < text.size(); ++number) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end - start > max_bytes) return LongLine{number, end - start};
    start = end + (text.substr(end).starts_with("\r\n") ? 2 : 1);
  }
  return std::nullopt;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra;
    char32_t c;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07;
    } else {
      return false;  // a continuation byte out of place, or a lead byte no character has
    }
    if (s.size() - i <= static_cast<size_t>(extra)) return false;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(extra); ++k) {
      const auto cont = static_cast<unsigned char>(s[i + k]);
      if ((cont & 0xC0) != 0x80) return false;
      c = (c << 6) | (cont & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
    if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF)) {
      return false;
    }
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

DecodedText DecodeTextFile(std::string_view bytes) {
  DecodedText out;
  const bool le = bytes.starts_with("\xFF\xFE"), be = bytes.starts_with("\xFE\xFF");
  if (le || be) {
    if (!FromUtf16(bytes.substr(2), be, out.text, out.problem)) {
      out.text.clear();
      return out;
    }
  } else if (bytes.find('\0') != std::string_view::npos) {
    out.problem = "it holds NUL bytes, which no text file has";
    return out;
  } else {
    out.text.reserve(bytes.size());
    for (size_t start = 0; start < bytes.size();) {
      size_t end = bytes.find_first_of("\r\n", start);
      end = end == std::string_view::npos ? bytes.size() : end + 1;
      const std::string_view line = bytes.substr(start, end - start);
      if (IsValidUtf8(line)) {
        out.text += line;
      } else {
        out.text += FromCp1252(line);
      }
      start = end;
    }
  }
  if (out.text.find('\0') != std::string::npos) {
    out.problem = "it holds NUL characters, which no text file has";
    out.text.clear();
    return out;
  }
  size_t marks = 0;
  while (std::string_view(out.text).substr(marks).starts_with(kUtf8Bom)) marks += kUtf8Bom.size();
  out.text.erase(0, marks);
  out.ok = true;
  return out;
}

}  // namespace tarnwick
