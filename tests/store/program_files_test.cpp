#include "store/program_files.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "tests/store/scratch_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](std::string_view name) -> std::optional<std::string> {
    const auto it = vars.find(std::string(name));
    return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
  };
}

TEST(program_files, beside_a_writable_program_else_in_xdg_folders) {
  // program folder writable, environment, folder of Quillmere.ini, folder of data/ and help.txt
  const std::tuple<bool, std::map<std::string, std::string>, const char*, std::string> rows[] = {
      {true, {{"HOME", "/home/u"}}, "/opt/tw", "/opt/tw"},
      {false, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/dat"}},
       "/cfg/tarnwick", "/dat/tarnwick"},
      {false, {{"HOME", "/home/u"}}, "/home/u/.config/tarnwick", "/home/u/.local/share/tarnwick"},
      {false, {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", "rel"}},
       "/home/u/.config/tarnwick", "/home/u/.local/share/tarnwick"},  // unusable XDG values
      {false, {}, "/opt/tw", "/opt/tw"},  // no home at all: writing will say why it fails
  };
  for (const auto& [writable, env, config, data] : rows) {
    const ProgramFiles f = LocateProgramFiles("/opt/tw", writable, Env(env));
    EXPECT_EQ(f.startup_file, fs::path(config) / "Quillmere.ini");
    EXPECT_EQ(f.data_folder, fs::path(data) / "data");
    EXPECT_EQ(f.help_file, fs::path(data) / "help.txt");
    EXPECT_EQ(f.shipped_help_file, "/opt/tw/help.txt");
    EXPECT_EQ(f.beside_program, data == "/opt/tw");
    EXPECT_EQ(f.ephemeris_path, "/opt/tw:/opt/tw/ephe:/usr/share/libswe/ephe");
  }
}

TEST(program_files, installed_copy_reads_share_and_writes_only_xdg_folders) {
  // As `cmake --install --prefix <dir>/prefix` lays it out: bin/ beside share/tarnwick/.
  // The prefix is writable (a user's own prefix, or root's), yet an installed copy never
  // writes into bin/.
  ScratchFolder dir;
  const fs::path bin = dir / "prefix/bin", share = dir / "prefix/share/tarnwick";
  fs::create_directories(bin);
  fs::create_directories(share);
  EXPECT_EQ(InstalledDataFolder(bin), std::nullopt);  // no shipped help.txt yet
  WriteBytes(share / "help.txt", "manual");
  EXPECT_EQ(InstalledDataFolder(bin), share);
  EXPECT_EQ(InstalledDataFolder(dir / "prefix/libexec"), std::nullopt);  // not a bin/

  const std::string home = (dir / "home").string();
  for (const bool writable : {true, false}) {
    const ProgramFiles f = LocateProgramFiles(bin, writable, Env({{"HOME", home}}));
    EXPECT_EQ(f.shipped_help_file, share / "help.txt");
    EXPECT_EQ(f.startup_file, fs::path(home) / ".config/tarnwick/Quillmere.ini");
    EXPECT_EQ(f.data_folder, fs::path(home) / ".local/share/tarnwick/data");
    EXPECT_EQ(f.help_file, fs::path(home) / ".local/share/tarnwick/help.txt");
    EXPECT_EQ(f.ephemeris_path, home + "/.local/share/tarnwick/ephe:/usr/share/libswe/ephe");
    EXPECT_FALSE(f.beside_program);
    EXPECT_EQ(HelpFileToOpen(f), share / "help.txt");
  }
  // Without any home the copy falls back to its own folder, and says why a write fails there.
  const ProgramFiles homeless = LocateProgramFiles(bin, true, Env({}));
  EXPECT_EQ(homeless.data_folder, bin / "data");
  EXPECT_EQ(homeless.shipped_help_file, share / "help.txt");
}

TEST(program_files, folders_created_failures_named_and_users_help_preferred) {
  ScratchFolder dir;
  const ProgramFiles f =
      LocateProgramFiles(dir / "program", false, Env({{"HOME", (dir / "home").string()}}));
  EXPECT_EQ(HelpFileToOpen(f), dir / "program" / "help.txt");
  EXPECT_TRUE(CreateProgramFolders(f).empty());
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/tarnwick/data"));
  EXPECT_TRUE(fs::is_directory(dir / "home/.config/tarnwick"));
  WriteBytes(f.help_file, "mine");
  EXPECT_EQ(HelpFileToOpen(f), dir / "home/.local/share/tarnwick/help.txt");

  ProgramFiles blocked = f;
  blocked.data_folder = f.help_file;  // a file where the folder should be
  const std::vector<std::string> messages = CreateProgramFolders(blocked);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].starts_with("Could not create the folder \"" + f.help_file.string() +
                                      "\": "))
      << messages[0];
  EXPECT_TRUE(IsWritableFolder(dir.path()));
  EXPECT_FALSE(IsWritableFolder(f.help_file));
}

}  // namespace
}  // namespace tarnwick
