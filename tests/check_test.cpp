// `cogstorm --check` on the worked levels: the summary of a good level, the
// one-line message and exit status of a bad one.

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

namespace {

const char* const kWorked5Summary =
    "level ok\n"
    "light maps: 2\n"
    "level textures: 5\n"
    "materials: 1\n"
    "room records: 3\n"
    "marker records: 1\n"
    "props: 1\n"
    "room graph: 1 rooms, 1 cells set\n"
    "model parts: robots 1 1 1 1 1 1 1, shot 1\n";

const char* const kFiveTextures =
    "cogstorm: dat.txt:1: the level names 1 texture; at least 5 are needed (the x-ray view uses the fifth)\n";

struct CheckRun {
  int status = -1;
  std::string out;
  std::string err;
};

CheckRun runCheckIn(const std::filesystem::path& folder) {
  ScopedChdir cd(folder);
  std::ostringstream out, err;
  CheckRun r;
  r.status = runCheck(out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

CheckRun runBinary(const std::filesystem::path& folder) {
  TempDir tmp;
  const std::string command = std::string("'") + COGSTORM_BINARY + "' --data '" + folder.string() + "' --check >'" +
                              (tmp.path() / "out").string() + "' 2>'" + (tmp.path() / "err").string() + "'";
  CheckRun r;
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readTextFile(tmp.path() / "out");
  r.err = readTextFile(tmp.path() / "err");
  return r;
}

}  // namespace

TEST(CheckInProcess, WorkedLevelWithFiveTexturesPasses) {
  const CheckRun r = runCheckIn(testDataDir() / "levels" / "worked5");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kWorked5Summary);
  EXPECT_EQ(r.err, "");
  // Nothing is left holding the check's device.
  EXPECT_TRUE(level.rooms.empty());
  EXPECT_FALSE(actors.robots[0].model);
}

TEST(CheckInProcess, WorkedLevelWithOneTextureIsRefused) {
  const CheckRun r = runCheckIn(testDataDir() / "worked");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, kFiveTextures);
}

TEST(CheckInProcess, BrokenImageNamesTheImage) {
  TempDir dir;
  writeLevelFolder(dir.path(), workedLevel());
  { std::ofstream(dir.path() / "light1.bmp", std::ios::trunc) << "BM not really"; }
  const CheckRun r = runCheckIn(dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("cogstorm: Lbank.txt:3: light1.bmp", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST(CheckProgram, WorkedLevels) {
  const CheckRun good = runBinary(testDataDir() / "levels" / "worked5");
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.out, kWorked5Summary);
  const CheckRun bad = runBinary(testDataDir() / "worked");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, kFiveTextures);
}
