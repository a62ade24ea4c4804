// `cogstorm --check`: it opens everything the game opens at start-up, says
// what is wrong with the game's own message and exit status, and warns of
// what loads but will look or play wrong.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/check.h"
#include "level/level_data.h"
#include "level/model.h"
#include "support/level_files.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const char* const kWorked5Summary =
    "level ok\n"
    "light maps: 2\n"
    "level textures: 5\n"
    "images: 3\n"
    "materials: 1\n"
    "room records: 3\n"
    "marker records: 1\n"
    "props: 1\n"
    "room graph: 1 rooms, 1 cells set\n"
    "model parts: robots 1 1 1 1 1 1 1, shot 1\n";

// The worked levels' floor reaches z 700 at x -100 .. 100: robot 0 starts on
// it, the others beyond it.
std::string robotWarnings() {
  const char* const starts[] = {"(800, 0, 600)",   "(800, 0, 700)",   "(900, 0, 1400)",
                                "(1000, 0, 1400)", "(1100, 0, 1300)", "(1200, 0, 1300)"};
  std::string s;
  for (int i = 1; i <= 6; ++i)
    s += "cogstorm: warning: dat.txt: robot " + std::to_string(i) + " starts at " + starts[i - 1] +
         ", which is on no floor of the room list\n";
  return s;
}

struct CheckRun {
  int status = -1;
  std::string out;
  std::string err;
};

CheckRun runCheckIn(const fs::path& folder) {
  ScopedChdir cd(folder);
  std::ostringstream out, err;
  CheckRun r;
  r.status = runCheck(out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

CheckRun runBinary(const fs::path& folder, const std::string& options) {
  TempDir tmp;
  const std::string command = std::string("'") + COGSTORM_BINARY + "' --data '" + folder.string() + "' " + options +
                              " >'" + (tmp.path() / "out").string() + "' 2>'" + (tmp.path() / "err").string() + "'";
  CheckRun r;
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readTextFile(tmp.path() / "out");
  r.err = readTextFile(tmp.path() / "err");
  return r;
}

// A level folder the game starts from: the five files with their images,
// the base images and the media.
void writeFullLevel(const fs::path& folder, const LevelText& text) {
  writeLevelFolder(folder, text);
  writeBmp(folder / "blank.bmp", 2, 2, 255, 255, 255);
  writeBmp(folder / "sky2.bmp", 2, 2, 40, 80, 200);
  for (const char* media : {"Roadsong.mid", "gun.wav", "dead.wav"})
    fs::copy_file(testDataDir() / "media" / media, folder / media, fs::copy_options::overwrite_existing);
}

LevelText workedOneTexture() {
  LevelText text = readLevelFolder(testDataDir() / "worked");
  text.lbank = "0\n";
  return text;
}

}  // namespace

TEST(Check, SummaryAndWarnings) {
  LevelText paneOfThree = workedLevel();
  const std::string quad = "0 0 0 0 4 2\n-100 -90 550   1 0 0   0 1\n";
  ASSERT_NE(paneOfThree.dat.find(quad), std::string::npos);
  paneOfThree.dat.replace(paneOfThree.dat.find(quad), quad.size(), "0 0 0 0 3 1\n");

  struct Case {
    const char* what;
    LevelText text;
    std::string out;  // "" : anything
    std::string err;
  };
  const Case cases[] = {
      {"worked level with five textures", workedLevel(), kWorked5Summary, robotWarnings()},
      {"one texture and no light maps", workedOneTexture(), "",
       "cogstorm: warning: dat.txt: the level names 1 texture; the x-ray view draws untextured without a fifth\n"
       "cogstorm: warning: Lbank.txt: the level has no light maps; records are drawn without them\n" +
           robotWarnings()},
      {"mirror pane of three vertices", paneOfThree, "",
       "cogstorm: warning: dat.txt: the mirror pane (room record 0) is not a quad: it has 3 vertices, and the "
       "mirror is drawn from its first four as a strip\n" +
           robotWarnings()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    writeFullLevel(dir.path(), c.text);
    const CheckRun r = runCheckIn(dir.path());
    EXPECT_EQ(r.status, 0);
    if (!c.out.empty()) {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(r.out.rfind("level ok\n", 0), 0u);
    EXPECT_EQ(r.err, c.err);
  }
}

// Each file the game opens besides the level's own, missing, empty, a
// folder, or not what its name says: the check fails as the game does, with
// the same message.
TEST(Check, EveryFileTheGameOpensAtStartUp) {
  TempDir base;
  writeFullLevel(base.path(), workedLevel());
  const std::vector<uint8_t> bmpBytes = [&] {
    std::ifstream in(base.path() / "blank.bmp", std::ios::binary);
    return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }();
  const std::string wavText = readTextFile(base.path() / "gun.wav");

  enum class Damage { Missing, Empty, Folder, WrongContent };
  const std::pair<Damage, const char*> damages[] = {{Damage::Missing, "missing"},
                                                    {Damage::Empty, "empty"},
                                                    {Damage::Folder, "a folder"},
                                                    {Damage::WrongContent, "wrong content"}};
  for (const char* file : {"blank.bmp", "sky2.bmp", "Roadsong.mid", "gun.wav", "dead.wav"}) {
    const bool media = std::string(file).find(".bmp") == std::string::npos;
    for (const auto& [damage, how] : damages) {
      SCOPED_TRACE(std::string(file) + " " + how);
      TempDir dir;
      writeFullLevel(dir.path(), workedLevel());
      const fs::path path = dir.path() / file;
      fs::remove(path);
      if (damage == Damage::Empty) std::ofstream(path, std::ios::binary).flush();
      if (damage == Damage::Folder) fs::create_directory(path);
      if (damage == Damage::WrongContent) {
        std::ofstream out(path, std::ios::binary);
        if (media)
          out.write(reinterpret_cast<const char*>(bmpBytes.data()), static_cast<std::streamsize>(bmpBytes.size()));
        else
          out << wavText;
      }

      const CheckRun check = runBinary(dir.path(), "--check");
      EXPECT_EQ(check.status, 1);
      EXPECT_EQ(check.out, "");
      const std::string prefix =
          media ? std::string("cogstorm: Media not found, sample will now quit (") + file + ": "
                : std::string("cogstorm: ") + file + ": ";
      EXPECT_EQ(check.err.rfind(prefix, 0), 0u) << check.err;
      EXPECT_EQ(check.err.find('\n'), check.err.size() - 1) << check.err;
      // The game itself stops with the same words.
      const CheckRun game = runBinary(dir.path(), "--headless --ticks 1");
      EXPECT_EQ(game.status, 1);
      EXPECT_EQ(game.err, check.err);
    }
  }
}

TEST(Check, BrokenLevelImageNamesTheImage) {
  TempDir dir;
  writeFullLevel(dir.path(), workedLevel());
  { std::ofstream(dir.path() / "light1.bmp", std::ios::trunc) << "BM not really"; }
  const CheckRun r = runCheckIn(dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("cogstorm: Lbank.txt:3: light1.bmp", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// The worked example as the format gives it (one texture) with an empty
// light-map list plays: 100 ticks, the x-ray view on from tick 10.
TEST(Check, WorkedExampleWithOneTextureAndNoLightMapsPlays) {
  TempDir dir;
  writeFullLevel(dir.path(), workedOneTexture());
  { std::ofstream(dir.path() / "keys") << "10 84\n20 32\n30 39\n40 38\n"; }
  const fs::path trace = dir.path() / "trace.jsonl";
  const CheckRun r =
      runBinary(dir.path(), "--headless --ticks 100 --input '" + (dir.path() / "keys").string() + "' --trace '" +
                                trace.string() + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string lines = readTextFile(trace);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 100);
  EXPECT_NE(lines.find("{\"tick\":100,"), std::string::npos);
}

}  // namespace cog
