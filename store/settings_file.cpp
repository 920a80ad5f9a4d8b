#include "store/settings_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/message_text.h"
#include "core/time_zone.h"
#include "engine/aspect_set.h"

namespace tarnwick {

static_assert(kSettingsFileLines ==
              static_cast<int>(kTextFields.size() + kRoleFields.size() * BodyCount +
                               kStoredCheckFields));

namespace {

// One check line of the file: a body of a role's column, or a switch.
struct CheckLine {
  std::string_view caption;
  BodySelection RunSettings::*selection = nullptr;  // set for a body line
  size_t body = 0;
  bool RunSettings::*member = nullptr;              // set for a switch line
};

// The 86 check lines in file order, lines 8 to 93.
std::vector<CheckLine> CheckLines() {
  std::vector<CheckLine> lines;
  for (const RoleField& role : kRoleFields) {
    for (const Body& body : BodyCatalogue) {
      lines.push_back({body.caption, role.selection, static_cast<size_t>(body.index), nullptr});
    }
  }
  for (size_t k = 0; k < kStoredCheckFields; ++k) {
    lines.push_back({kCheckFields[k].caption, nullptr, 0, kCheckFields[k].member});
  }
  return lines;
}

bool IsChecked(const RunSettings& s, const CheckLine& c) {
  return c.selection ? (s.*c.selection)[c.body] : s.*c.member;
}

void SetChecked(RunSettings& s, const CheckLine& c, bool checked) {
  if (c.selection) {
    (s.*c.selection)[c.body] = checked;
  } else {
    s.*c.member = checked;
  }
}

}  // namespace

std::string SettingsFileText(const RunSettings& settings) {
  std::vector<std::string> lines;
  lines.reserve(kSettingsFileLines + 3);
  const std::shared_ptr<const TimeZone> named =
      TimeZoneHours(settings.txtTZ, '.') ? nullptr : NamedZone(settings.txtTZ);
  for (const TextField& field : kTextFields) {
    // A zone name: the Time Zone line keeps a number for readers of fixed offsets.
    const bool zone_line = named && field.member == &RunSettings::txtTZ;
    lines.push_back(zone_line ? StandardOffsetText(*named) : settings.*field.member);
  }
  for (const CheckLine& c : CheckLines()) {
    lines.push_back(std::string(IsChecked(settings, c) ? "1" : "0") + " - " +
                    std::string(c.caption));
  }
  // Only a chosen set and a zone name take a line, so files without them stay the 93 lines
  // they always were.
  if (HoldsAspectSet(settings)) lines.push_back(std::string(kAspectSetLinePrefix) + settings.txtAspectSet);
  if (named) lines.push_back(std::string(kZoneNameLinePrefix) + named->Name());
  if (std::string angles = NatalAnglesLine(settings); !angles.empty()) lines.push_back(std::move(angles));
  return JoinLinesCrLf(lines);
}

std::string NatalAnglesLine(const RunSettings& settings) {
  std::string roles;
  for (const RoleField& role : kRoleFields) {
    if (!AnyAngleChecked(settings, role)) continue;
    roles += (roles.empty() ? "" : "; ") + std::string(role.header);
    for (const int a : {int{idxAscendant}, int{idxMidheaven}}) {
      if ((settings.*role.angles)[AngleSlot(a)]) roles += " " + std::string(BodyName(a));
    }
  }
  return roles.empty() ? std::string() : std::string(kNatalAnglesLinePrefix) + roles;
}

bool ReadNatalAnglesLine(std::string_view line, RunSettings& settings) {
  if (!line.starts_with(kNatalAnglesLinePrefix)) return false;
  line.remove_prefix(kNatalAnglesLinePrefix.size());
  RunSettings read = settings;
  for (const RoleField& role : kRoleFields) {
    if (role.angles) (read.*role.angles).fill(false);
  }
  // Words apart by blanks; a role's header starts its group, ";" only ends one.
  const RoleField* role = nullptr;
  bool any = false;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t end = std::min(line.find_first_of(" ;", pos), line.size());
    const std::string_view word = line.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    const auto named = std::find_if(kRoleFields.begin(), kRoleFields.end(),
                                    [&](const RoleField& r) { return r.angles && r.header == word; });
    if (named != kRoleFields.end()) {
      role = &*named;
      continue;
    }
    const int angle = word == BodyName(idxAscendant) ? int{idxAscendant}
                      : word == BodyName(idxMidheaven) ? int{idxMidheaven} : -1;
    if (!role || angle < 0) return false;
    (read.*role->angles)[AngleSlot(angle)] = true;
    any = true;
  }
  if (!any) return false;
  for (const RoleField& r : kRoleFields) {
    if (r.angles) settings.*r.angles = read.*r.angles;
  }
  return true;
}

bool HoldsAspectSet(const RunSettings& settings) {
  const std::optional<AspectSet> set = ReadAspectSet(settings.txtAspectSet);
  return !set || *set != AspectSet::All();
}

std::string_view TextFieldWithLineBreak(const RunSettings& settings) {
  for (const TextField& field : kTextFields) {
    if (HoldsLineBreak(settings.*field.member)) return field.name;
  }
  if (HoldsLineBreak(settings.txtAspectSet)) return "txtAspectSet";
  return {};
}

SettingsLoad SettingsFromText(std::string_view text, const RunSettings& current,
                              std::string_view source) {
  SettingsLoad out;
  out.settings = current;
  const std::string file = "Settings file " + Quoted(source);
  const DecodedText decoded = DecodeTextFile(text);
  if (!decoded.ok) {
    out.message = file + " was not loaded: " + decoded.problem + ".";
    return out;
  }
  const std::vector<std::string> lines = SplitLines(decoded.text);
  const int available =
      lines.size() < static_cast<size_t>(kSettingsFileLines) ? static_cast<int>(lines.size())
                                                             : kSettingsFileLines;
  for (std::size_t n = 0; n < static_cast<std::size_t>(available); ++n) {
    if (lines[n].size() > kMaxFieldTextBytes) {
      out.message = file + " was not loaded: line " + std::to_string(n + 1) + " is " +
                    std::to_string(lines[n].size()) + " bytes long, and no setting is longer than " +
                    std::to_string(kMaxFieldTextBytes) + ".";
      return out;
    }
  }

  // Line n (1-based) of the file is lines[n - 1]; the fields follow the file's order.
  size_t n = 0;
  for (const TextField& field : kTextFields) {
    if (n == static_cast<size_t>(available)) break;
    out.settings.*field.member = lines[n++];
  }
  for (const CheckLine& c : CheckLines()) {
    if (n == static_cast<size_t>(available)) break;
    const std::string& line = lines[n++];
    SetChecked(out.settings, c, !line.empty() && line.front() == '1');
  }

  out.lines_read = available;
  if (available == kSettingsFileLines) {
    out.status = SettingsLoadStatus::Complete;
    // A complete file without the line of a set chose none. The lines after the 93rd are
    // told apart by their prefixes: the set's, then the zone name's.
    auto after = lines.begin() + kSettingsFileLines;
    out.settings.txtAspectSet.clear();
    if (after != lines.end() && after->starts_with(kAspectSetLinePrefix) &&
        after->size() <= kMaxFieldTextBytes) {
      out.settings.txtAspectSet = after->substr(kAspectSetLinePrefix.size());
      // "Aspects: all" chooses no set, which is stored as no line at all.
      if (!HoldsAspectSet(out.settings)) out.settings.txtAspectSet.clear();
      ++after;
    }
    // The zone name line, when it names a zone of the database, sets the Time Zone box.
    if (after != lines.end() && after->starts_with(kZoneNameLinePrefix)) {
      const std::string name = after->substr(kZoneNameLinePrefix.size());
      if (NamedZone(name)) {
        out.settings.txtTZ = name;
        ++after;
      }
    }
    // The chart angles: none unless the file has their line.
    for (const RoleField& role : kRoleFields) {
      if (role.angles) (out.settings.*role.angles).fill(false);
    }
    if (after != lines.end() && ReadNatalAnglesLine(*after, out.settings)) ++after;
    // Lines beyond hold no setting; blank ones at the end are only line ends.
    const auto extra = std::count_if(after, lines.end(),
                                     [](const std::string& l) { return !l.empty(); });
    if (extra > 0) {
      out.message = file + " has " + std::to_string(extra) +
                    (extra == 1 ? " line" : " lines") + " after its " +
                    std::to_string(kSettingsFileLines) +
                    " lines of settings; they were ignored. Is it really a settings file?";
    }
  } else {
    out.status = SettingsLoadStatus::Short;
    out.message = file + " has " + std::to_string(available) +
                  (available == 1 ? " line" : " lines") + " instead of " +
                  std::to_string(kSettingsFileLines) + "; " +
                  (available == 0 ? std::string("nothing was loaded.")
                                  : "the fields of its lines were loaded and the others kept "
                                    "their values.");
  }
  return out;
}

SettingsLoad LoadSettingsFile(const std::filesystem::path& path, const RunSettings& current) {
  const FileRead read = ReadWholeFile(path);
  if (!read.ok) {
    SettingsLoad out;
    out.settings = current;
    out.status = SettingsLoadStatus::NotRead;
    out.message = read.message;
    return out;
  }
  return SettingsFromText(read.bytes, current, path.string());
}

bool IsPlainlyNoSettingsFile(const SettingsLoad& load, const RegionalFormat& regional) {
  if (load.status != SettingsLoadStatus::Short) return false;
  const bool dates = load.lines_read >= 2 && DateFromText(load.settings.txtStartDate, regional) &&
                     DateFromText(load.settings.txtEndDate, regional);
  return !dates;
}

FileStatus SaveSettingsFile(const std::filesystem::path& path, const RunSettings& settings) {
  if (const std::string_view field = TextFieldWithLineBreak(settings); !field.empty()) {
    return {false, "Could not save " + Quoted(path.string()) + ": " + std::string(field) +
                       " holds a line break, which a settings file cannot store."};
  }
  // The user chose this file; a link there is followed, as editors do.
  return WriteFileAtomically(path, SettingsFileText(settings), LinkPolicy::FollowLink);
}

}  // namespace tarnwick
