// Where the game looks for the music's SoundFont, and what it says when
// there is none.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/al/soundfont_search.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

TEST(SoundFontSearch, TheUsualFoldersInOrder) {
  const struct {
    const char* dataHome;
    const char* home;
    const char* dataDirs;
    std::vector<std::string> folders;
  } cases[] = {
      {nullptr, "/home/p", nullptr,
       {"/home/p/.local/share/soundfonts", "/usr/local/share/soundfonts", "/usr/local/share/sounds/sf2",
        "/usr/local/share/sounds/sf3", "/usr/share/soundfonts", "/usr/share/sounds/sf2", "/usr/share/sounds/sf3"}},
      {"/d/home/", "/home/p", "/a:relative:/b/",
       {"/d/home/soundfonts", "/a/soundfonts", "/a/sounds/sf2", "/a/sounds/sf3", "/b/soundfonts", "/b/sounds/sf2",
        "/b/sounds/sf3", "/usr/share/soundfonts", "/usr/share/sounds/sf2", "/usr/share/sounds/sf3"}},
      {"", nullptr, "/usr/share", {"/usr/share/soundfonts", "/usr/share/sounds/sf2", "/usr/share/sounds/sf3"}},
  };
  for (const auto& c : cases) EXPECT_EQ(soundFontFolders(c.dataHome, c.home, c.dataDirs), c.folders);
}

TEST(SoundFontSearch, TheNamedFileThenTheVariableThenTheFolders) {
  const fs::path dir = fs::temp_directory_path() / ("cogstorm-sf-" + std::to_string(getpid()));
  for (const char* f : {"empty", "some", "gm"}) fs::create_directories(dir / f);
  for (const char* f : {"some/x.sf2", "some/a.SF3", "some/notes.txt", "gm/a.sf2", "gm/default-GM.sf2"})
    std::ofstream(dir / f) << "RIFF";
  const std::string empty = (dir / "empty").string();
  const std::string some = (dir / "some").string();
  const std::string gm = (dir / "gm").string();
  const std::string named = (dir / "some/x.sf2").string();
  const std::string missing = (dir / "none.sf2").string();
  const struct {
    std::string given;
    const char* environment;
    std::vector<std::string> folders;
    std::string path;
    const char* why;  // in the message when there is no path
  } cases[] = {
      {named, missing.c_str(), {gm}, named, ""},
      {missing, nullptr, {gm}, "", "--soundfont"},
      {"", named.c_str(), {gm}, named, ""},
      {"", missing.c_str(), {gm}, "", "COGSTORM_SOUNDFONT"},
      {"", "", {empty, some, gm}, some + "/a.SF3", ""},
      {"", nullptr, {gm, some}, gm + "/default-GM.sf2", ""},
      {"", nullptr, {empty, dir.string() + "/gone"}, "", "no SoundFont found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + c.why);
    const SoundFontChoice choice = chooseSoundFont(c.given, c.environment, c.folders);
    EXPECT_EQ(choice.path, c.path);
    if (c.path.empty()) {
      EXPECT_NE(choice.why.find(c.why), std::string::npos) << choice.why;
      EXPECT_NE(choice.why.find("install"), std::string::npos) << choice.why;
    }
  }
  fs::remove_all(dir);
}

}  // namespace

}  // namespace cog
