// The bytes of a text file the user hands the program, as UTF-8 text: a file written by this
// program (UTF-8), by an older 8-bit editor (Windows-1252), or saved as "Unicode" (UTF-16
// with a byte order mark). Binary files are refused rather than read as garbage.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Longest value, in bytes, that a settings or start-up file may give one text field: the most
// a text box of the window holds (32767 characters), far beyond any date, number or path.
// A longer line is a sign of a wrong file, not of a setting.
inline constexpr std::size_t kMaxFieldTextBytes = 32767;

struct DecodedText {
  bool ok = false;
  std::string text;     // UTF-8, without a byte order mark, when ok
  std::string problem;  // why the bytes are no text, e.g. "it holds NUL bytes, which ..."
};

// Decodes a whole file:
// - a UTF-16 byte order mark (FF FE little-endian, FE FF big-endian): UTF-16, converted to
//   UTF-8; an odd length or a broken surrogate pair is refused;
// - otherwise a NUL byte anywhere marks a binary file (an image, an archive, UTF-16 without
//   its mark) and is refused;
// - each line that is valid UTF-8 is kept as it is; any other line is read as Windows-1252,
//   the 8-bit code page the settings files of older versions were written in, so no
//   character is lost (a line is decided on its own, so one odd line does not garble the
//   UTF-8 of the others).
// Leading byte order marks (U+FEFF, from any of the three forms) are dropped, so that the
// first line of a file saved by a Windows editor reads like the others.
DecodedText DecodeTextFile(std::string_view bytes);

// The first line (1-based, lines ended by CR LF, CR or LF) longer than max_bytes, and its
// length in bytes; nothing when every line fits.
struct LongLine {
  std::size_t number = 0;
  std::size_t bytes = 0;
};
std::optional<LongLine> FirstLineLongerThan(std::string_view text, std::size_t max_bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace tarnwick
