// Headless runs that draw: screenshots and the timedemo, through the
// program itself, on an offscreen Mesa surface.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/timedemo.h"
#include "platform/image_file.h"
#include "support/level_files.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const std::string kData = COGSTORM_TEST_DATA;
const std::string kArena = "--data " + kData + "/levels/arena ";

class DrawingRun : public ::testing::Test {
 protected:
  TempDir temp;  // removed with the fixture
  fs::path dir = temp.path();
};

// Drawing with GL changes nothing of the game: the checked-in trace of a
// won game comes out the same, and the pictures are the window's size.
TEST_F(DrawingRun, ScreenshotsLeaveTheTraceAsItIs) {
  const fs::path trace = dir / "win.jsonl";
  const RunResult run = runProgram(kArena + "--headless --ticks 175 --input " + kData + "/traces/win.keys --trace " +
                                   trace.string() + " --screenshot " + (dir / "last.png").string() +
                                   " --screenshot-every 50 " + (dir / "series").string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(readFile(trace), readFile(kData + "/traces/win.jsonl"));

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir / "series")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame-000050.png", "frame-000100.png", "frame-000150.png"}));
  ImageRgba last;
  std::string error;
  ASSERT_TRUE(loadImageFile((dir / "last.png").string(), last, error)) << error;
  EXPECT_EQ(last.width, 512);
  EXPECT_EQ(last.height, 512);
}

TEST_F(DrawingRun, TimedemoPlaysItsScriptAndReportsFrameTimes) {
  const RunResult run = runProgram(kArena + "--headless --timedemo " + kData + "/traces/lose.keys");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The script's last key is at tick 26.
  EXPECT_NE(run.output.find("timedemo: 26 frames, "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" fps, median "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" ms, 95th percentile "), std::string::npos) << run.output;
}

TEST_F(DrawingRun, BadPictureOptionsFailWithAMessage) {
  const std::string keys = kData + "/traces/lose.keys";
  struct Case {
    std::string args;
    int exitCode;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"--screenshot a.png", 2, "--headless"},
      {"--headless --ticks 1 --screenshot-every 0 " + dir.string(), 2, "at least 1"},
      {"--headless --ticks 1 --screenshot-every x " + dir.string(), 2, "--screenshot-every"},
      {"--headless --timedemo " + keys + " --input " + keys, 2, "--input"},
      {"--headless --timedemo " + (dir / "none.keys").string(), 1, "none.keys"},
      {"--headless --ticks 1 --screenshot " + (dir / "no/such/a.png").string(), 1, "no/such/a.png"},
      {"--headless --ticks 1 --card menu", 2, "--card: \"menu\" is not one of howto, paused"},
  };
  for (const Case& c : cases) {
    const RunResult run = runProgram(kArena + c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args << "\n" << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << c.args << "\n" << run.output;
  }
}

TEST(NoDisplay, TheWindowSaysSoAndSuggestsHeadless) {
  const RunResult run = runProgram(kArena + "--no-settings --ticks 1", "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("DISPLAY"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("--headless"), std::string::npos) << run.output;
}

TEST(TimedemoSummary, CountsFramesAndTakesNearestRankPercentiles) {
  std::vector<double> ms;
  for (int i = 20; i >= 1; --i) ms.push_back(i);  // 1 .. 20 ms, out of order
  EXPECT_EQ(timedemoSummary(ms), "timedemo: 20 frames, 95.2 fps, median 10.00 ms, 95th percentile 19.00 ms");
  EXPECT_EQ(timedemoSummary({}), "timedemo: 0 frames");
}

}  // namespace

}  // namespace cog
