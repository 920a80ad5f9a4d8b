// User text inside messages: a value typed in a box, read from a file or given on the
// command line, shown so that it cannot act on the terminal or the message box that shows it.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// text with every control character written out: tab, line feed and carriage return as
// \t, \n and \r, the other C0 controls and DEL as \xNN (ESC is \x1b, BEL \x07), a C1 control
// (U+0080 to U+009F) as \u0080 to \u009f, and a byte that is not part of valid UTF-8 as
// \xNN. Everything else, the backslash included, is kept as it is.
std::string EscapeControls(std::string_view text);

// text escaped as above, in double quotes: "5\x1b[31m".
std::string Quoted(std::string_view text);

// text without the spaces and tabs at either end.
inline std::string_view TrimmedBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace tarnwick
