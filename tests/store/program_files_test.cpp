#include "store/program_files.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](std::string_view name) -> std::optional<std::string> {
    const auto it = vars.find(std::string(name));
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(program_files, beside_a_writable_program_else_in_xdg_folders) {
  struct Row {
    const char* name;
    bool writable;
    std::map<std::string, std::string> env;
    const char* config;  // folder of Quillmere.ini
    const char* data;    // folder of data/ and help.txt
  };
  const Row rows[] = {
      {"writable program folder", true, {{"HOME", "/home/u"}}, "/opt/tw", "/opt/tw"},
      {"installed, XDG set", false,
       {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/dat"}},
       "/cfg/tarnwick", "/dat/tarnwick"},
      {"installed, XDG unset", false, {{"HOME", "/home/u"}}, "/home/u/.config/tarnwick",
       "/home/u/.local/share/tarnwick"},
      {"installed, XDG empty or relative", false,
       {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", "rel/data"}},
       "/home/u/.config/tarnwick", "/home/u/.local/share/tarnwick"},
      {"installed, no home at all", false, {}, "/opt/tw", "/opt/tw"},
  };
  for (const Row& r : rows) {
    const ProgramFiles f = LocateProgramFiles("/opt/tw", r.writable, Env(r.env));
    EXPECT_EQ(f.startup_file, fs::path(r.config) / "Quillmere.ini") << r.name;
    EXPECT_EQ(f.data_folder, fs::path(r.data) / "data") << r.name;
    EXPECT_EQ(f.help_file, fs::path(r.data) / "help.txt") << r.name;
    EXPECT_EQ(f.shipped_help_file, fs::path("/opt/tw/help.txt")) << r.name;
    EXPECT_EQ(f.beside_program, std::string(r.data) == "/opt/tw") << r.name;
  }
}

TEST(program_files, folders_are_created_and_failures_named) {
  ScratchFolder dir;
  const ProgramFiles f =
      LocateProgramFiles(dir / "program", false, Env({{"HOME", (dir / "home").string()}}));
  EXPECT_TRUE(CreateProgramFolders(f).empty());
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/tarnwick/data"));
  EXPECT_TRUE(fs::is_directory(dir / "home/.config/tarnwick"));
  EXPECT_TRUE(CreateProgramFolders(f).empty());  // already there: fine

  WriteBytes(dir / "blocked", "a file where a folder should be");
  ProgramFiles blocked = f;
  blocked.data_folder = dir / "blocked";
  const std::vector<std::string> messages = CreateProgramFolders(blocked);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Could not create the folder \"" + (dir / "blocked").string() +
                                  "\": ", 0),
            0u)
      << messages[0];
}

TEST(program_files, help_shown_from_the_users_copy_once_it_exists) {
  ScratchFolder dir;
  fs::create_directories(dir / "program");
  const ProgramFiles f =
      LocateProgramFiles(dir / "program", false, Env({{"XDG_CONFIG_HOME", (dir / "c").string()},
                                                      {"XDG_DATA_HOME", (dir / "d").string()}}));
  EXPECT_EQ(HelpFileToOpen(f), dir / "program" / "help.txt");
  fs::create_directories(dir / "d" / "tarnwick");
  WriteBytes(f.help_file, "mine");
  EXPECT_EQ(HelpFileToOpen(f), dir / "d" / "tarnwick" / "help.txt");

  EXPECT_TRUE(IsWritableFolder(dir.path()));
  EXPECT_FALSE(IsWritableFolder(dir / "no such folder"));
  EXPECT_FALSE(IsWritableFolder(f.help_file));  // a file is no folder
}

}  // namespace
}  // namespace tarnwick
