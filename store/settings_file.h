// The settings file: one complete set of run inputs in 93 lines (seven texts, the three body
// columns, eight switches), written and read as text and loaded or saved by path.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/date_text.h"
#include "engine/run_settings.h"
#include "store/atomic_file.h"
#include "store/text_encoding.h"

namespace tarnwick {

inline constexpr int kSettingsFileLines = 93;              // 7 texts + 3 x 26 bodies + 8 switches
inline constexpr std::string_view kSettingsFileExtension = "opt";  // default, without the dot

// A Time Zone box holding a zone name of the tz database ("Europe/Berlin") adds a line after
// the 93 (and after the aspect set's line, when there is one): this prefix and the name. Line
// 3 then holds the zone's standard offset (StandardOffsetText), so a reader of 93 lines gets a
// fixed offset that is right outside summer time, never a name it would read as 0. Reading,
// that line naming a zone of the database sets the box to it.
inline constexpr std::string_view kZoneNameLinePrefix = "Time Zone name: ";

// The 93 lines, each ended by CR LF. Lines 1-7: the texts of kTextFields as typed; lines
// 8-33, 34-59, 60-85: the bodies 0..25 of chkP1Planets, chkP2Planets, chkP3Planets; lines
// 86-93: the first kStoredCheckFields switches of kCheckFields. A check line is "1" or "0",
// " - " and the caption (a body's 8-character caption keeps its trailing blanks), e.g.
// "1 - Do 3-planet aspects (triple aspects)?". The centre choices and
// chkDisplayP1_P2P3_mp_aspects are not stored. A chosen set of aspects (HoldsAspectSet) adds
// a 94th line, "Aspects: " and txtAspectSet ("Aspects: major", "Aspects: 0,90,180"); without
// one the file has its 93 lines as ever.
std::string SettingsFileText(const RunSettings& settings);

inline constexpr std::string_view kAspectSetLinePrefix = "Aspects: ";

// Chart angles checked for P2 or P3 add a line after the 93 (and after the set's and the zone
// name's lines, when there are those): this prefix, then per role with an angle checked its
// header and the angles' captions, roles apart by "; ": "Natal angles: P2 Asc MC; P3 MC".
// Without a checked angle the line is not written, so a reader of 93 lines never meets it.
inline constexpr std::string_view kNatalAnglesLinePrefix = "Natal angles: ";

// The angles line of the settings (without its line end); empty when no angle is checked.
std::string NatalAnglesLine(const RunSettings& settings);

// Reads an angles line into `settings` (both roles' angles set from it). False, changing
// nothing, when the line is not one.
bool ReadNatalAnglesLine(std::string_view line, RunSettings& settings);

// Whether txtAspectSet chooses a set (anything but "" and "all", also a text that is no set,
// which is kept as typed so that the run can say what is wrong with it).
bool HoldsAspectSet(const RunSettings& settings);

// The first text field (or txtAspectSet) holding a CR or LF, which would shift every later
// line of the file; empty when there is none.
std::string_view TextFieldWithLineBreak(const RunSettings& settings);

enum class SettingsLoadStatus {
  Complete,  // all 93 lines were read; a message tells of lines after the 93rd, which are ignored
  Short,     // the file ended early: the fields of the lines it had were set, the rest kept
  NotRead,   // the file could not be read or is no settings text: nothing changed
};

struct SettingsLoad {
  RunSettings settings;  // the settings given, with the fields the file held replaced
  SettingsLoadStatus status = SettingsLoadStatus::NotRead;
  int lines_read = 0;    // lines of the file used, 0..93
  std::string message;   // a sentence for the user naming the file; empty when all is well
};

// Reads settings-file text over `current`. The bytes are decoded by DecodeTextFile (UTF-8,
// Windows-1252 or UTF-16 with its mark; binary content is refused). Lines may end in CR LF,
// CR or LF. Lines 1-7 set the texts exactly as read; each later line checks its box when its
// first character is "1" and clears it otherwise ("0", "", " 1", "2"). A complete file sets
// txtAspectSet from its 94th line when that begins "Aspects: ", and to "" (no set) when it
// has no such line; the message about lines after the settings counts the lines after it.
// The centre choices
// and chkDisplayP1_P2P3_mp_aspects keep the values of `current`. A text that is no settings
// file (binary, or one of the first 93 lines longer than kMaxFieldTextBytes) changes
// nothing. `source` names the file in the messages.
SettingsLoad SettingsFromText(std::string_view text, const RunSettings& current,
                              std::string_view source);

// Loads the file at path over `current`; a file that cannot be read changes nothing and the
// message says why.
SettingsLoad LoadSettingsFile(const std::filesystem::path& path, const RunSettings& current);

// True when a load is plainly of no settings file (a note or a letter chosen by mistake): the
// file ended before its 93 lines and its first two lines, the start and end dates, do not both
// read as dates in the regional format. Loading it anyway would put its text into the boxes.
bool IsPlainlyNoSettingsFile(const SettingsLoad& load, const RegionalFormat& regional);

// Saves the settings to path, replacing it as a whole or not at all. Refused, with the file
// left as it was, when a text field holds a line break. A path that is a symbolic link is
// written where the link points: the user chose it.
FileStatus SaveSettingsFile(const std::filesystem::path& path, const RunSettings& settings);

}  // namespace tarnwick
