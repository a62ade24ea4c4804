// The --renderer choice and --gl-info on this machine's Mesa, and the
// shipped win demo drawn by the fixed-function and the shader device: the
// same picture at fixed ticks across the demo.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/image_file.h"
#include "support/level_files.h"
#include "support/run_program.h"

namespace cog {
namespace {

namespace fs = std::filesystem;

TEST(RendererChoice, GlInfoNamesTheDeviceAndContextEachChoiceMakes) {
  struct Case {
    const char* args;
    int exitCode;
    std::vector<const char*> says;
  };
  const Case cases[] = {
      {"--gl-info", 0, {"renderer: gl", "shader device (OpenGL 3.3 core)", "Core Profile", "stencil bits: 8"}},
      {"--gl-info --renderer gl", 0, {"renderer: gl", "Core Profile"}},
      {"--gl-info --renderer gles", 0, {"renderer: gles", "shader device (OpenGL ES 3.0)", "version: OpenGL ES 3"}},
      {"--gl-info --renderer compat", 0, {"renderer: compat", "fixed-function device", "Compatibility Profile"}},
      {"--gl-info --renderer GLES", 0, {"renderer: gles"}},
      {"--gl-info --renderer vulkan", 2, {"--renderer: \"vulkan\" is not one of auto, compat, gl, gles"}},
  };
  for (const Case& c : cases) {
    const RunResult run = runProgram(c.args, "SDL_VIDEODRIVER=offscreen ");
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args << "\n" << run.output;
    for (const char* text : c.says) EXPECT_NE(run.output.find(text), std::string::npos) << c.args << "\n" << run.output;
  }
}

// Headless drawing and --gl-info keep the samples memo as the window does:
// a GL that does not grant the game's 2 samples exactly is written down
// (llvmpipe grants 4), and the next run, opening it plain at once, says
// and draws the same.
TEST(RendererChoice, HeadlessDrawingAndGlInfoKeepTheSampleMemo) {
  TempDir dir;
  const std::string shot = (dir.path() / "shot.png").string();
  const bool inexact = runProgram("--gl-info", "SDL_VIDEODRIVER=offscreen ").output.find("samples: 2\n") == std::string::npos;
  for (const std::string& args : {std::string("--gl-info"), "--headless --ticks 1 --screenshot " + shot}) {
    const fs::path cache = dir.path() / "cache";
    fs::remove_all(cache);
    const std::string env = "SDL_VIDEODRIVER=offscreen XDG_CACHE_HOME='" + cache.string() + "' ";
    const RunResult first = runProgram(args, env);
    const std::string firstShot = readFile(shot);
    const RunResult again = runProgram(args, env);
    ASSERT_EQ(first.exitCode, 0) << args << "\n" << first.output;
    EXPECT_EQ(again.exitCode, 0) << args << "\n" << again.output;
    EXPECT_EQ(again.output, first.output) << args;
    EXPECT_EQ(readFile(shot), firstShot) << args;
    const std::string memo = readFile((cache / "cogstorm" / "gl-samples.txt").string());
    EXPECT_EQ(memo.find(" / ") != std::string::npos, inexact) << args << "\n" << memo;
  }
}

TEST(RendererChoice, EveryChoicePlaysInTheWindowWithTheHeadlessTrace) {
  TempDir dir;
  const std::string level = std::string(COGSTORM_TEST_DATA) + "/levels/arena";
  const std::string keys = std::string(COGSTORM_TEST_DATA) + "/traces/lose.keys";
  const std::string common = "--data " + level + " --ticks 40 --input " + keys + " --trace ";
  const RunResult headless = runProgram("--headless " + common + (dir.path() / "headless.jsonl").string());
  ASSERT_EQ(headless.exitCode, 0) << headless.output;
  const std::string expected = readFile((dir.path() / "headless.jsonl").string());
  for (const char* renderer : {"auto", "gl", "gles", "compat"}) {
    const fs::path trace = dir.path() / (std::string(renderer) + ".jsonl");
    const RunResult run = runProgram(std::string("--no-settings --mute --renderer ") + renderer + " " + common + trace.string(),
                                     "SDL_VIDEODRIVER=offscreen ");
    EXPECT_EQ(run.exitCode, 0) << renderer << "\n" << run.output;
    EXPECT_EQ(readFile(trace.string()), expected) << renderer;
  }
}

// Share of pixels whose largest channel difference is beyond 5%.
double differingShare(const ImageRgba& a, const ImageRgba& b) {
  size_t n = 0;
  for (size_t i = 0; i < a.pixels.size(); i += 4) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a.pixels[i + c]) - int(b.pixels[i + c])));
    if (worst > 255 * 5 / 100) ++n;
  }
  return static_cast<double>(n) / static_cast<double>(a.pixels.size() / 4);
}

TEST(RendererChoice, BothDevicesDrawTheWinDemoAlike) {
  TempDir dir;
  const std::string demo = std::string(COGSTORM_DEMO_DIR) + "/win.keys";
  for (const char* renderer : {"compat", "gl"}) {
    const RunResult run = runProgram(std::string("--headless --ticks 700 --input ") + demo + " --renderer " + renderer +
                                     " --screenshot-every 100 " + (dir.path() / renderer).string());
    ASSERT_EQ(run.exitCode, 0) << renderer << "\n" << run.output;
  }
  int compared = 0;
  for (int tick = 100; tick <= 700; tick += 100) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", tick);
    ImageRgba fixed, shader;
    std::string error;
    ASSERT_TRUE(loadImageFile((dir.path() / "compat" / name).string(), fixed, error)) << error;
    ASSERT_TRUE(loadImageFile((dir.path() / "gl" / name).string(), shader, error)) << error;
    ASSERT_EQ(fixed.pixels.size(), shader.pixels.size());
    EXPECT_LE(differingShare(fixed, shader), 0.001) << "tick " << tick;
    ++compared;
  }
  EXPECT_GE(compared, 6);
}

}  // namespace
}  // namespace cog
