// The window's size, fullscreen and the settings file, in a real window on
// Xvfb without a window manager, typed into with xdotool; the trace is the
// same whatever the window's shape, aspect mode and settings; and the
// aspect modes' pictures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/image_file.h"
#include "support/real_window.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const std::string kArena = std::string(COGSTORM_TEST_DATA) + "/levels/arena";
const std::string kWinKeys = std::string(COGSTORM_TEST_DATA) + "/traces/win.keys";
const std::string kWinTrace = std::string(COGSTORM_TEST_DATA) + "/traces/win.jsonl";

class WindowSettings : public RealWindowTest {
 protected:
  const WindowGeometry screen{0, 0, kScreenWidth, kScreenHeight};
};

// Without a window manager too, F11 and Alt+Enter fill the screen and, the
// second time, put the window back where it was at the size it had.
TEST_F(WindowSettings, FullscreenKeysTwiceGiveBackTheSameWindow) {
  startGame({"--no-settings", "--data", kArena, "--window", "640x400", "--ticks", "250"});
  const std::string window = waitForWindow();
  ASSERT_FALSE(window.empty());
  const WindowGeometry windowed{100, 100, 640, 400};
  EXPECT_EQ(geometry(window, windowed), windowed);
  ASSERT_EQ(xdotool({"windowfocus", "--sync", window}), 0);
  for (const char* key : {"F11", "alt+Return"}) {
    ASSERT_EQ(xdotool({"key", key}), 0);
    EXPECT_EQ(geometry(window, screen), screen) << key;
    ASSERT_EQ(xdotool({"key", key}), 0);
    EXPECT_EQ(geometry(window, windowed), windowed) << key;
  }
  EXPECT_EQ(gameExit(), 0);
}

// A first start writes the file; the volumes and fullscreen the player
// changes are there the next time; the command line wins and is not saved.
TEST_F(WindowSettings, WhatThePlayerChangesIsThereNextTimeAndTheCommandLineWins) {
  const std::vector<std::string> config{"XDG_CONFIG_HOME=" + (dir / "config").string()};
  const std::string file = (dir / "config" / "cogstorm" / "settings.toml").string();
  const auto saved = [&] {
    const Result<Settings> s = parseSettings(readFile(file), file);
    EXPECT_TRUE(s.ok()) << s.message();
    return s.ok() ? s.value() : Settings{};
  };

  startGame({"--data", kArena, "--ticks", "150"}, config);
  std::string window = waitForWindow();
  ASSERT_FALSE(window.empty());
  ASSERT_EQ(xdotool({"windowfocus", "--sync", window, "key", "--delay", "80", "minus", "minus", "bracketleft", "F11"}),
            0);
  EXPECT_EQ(geometry(window, screen), screen);
  ASSERT_EQ(gameExit(), 0);
  Settings s = saved();
  EXPECT_EQ(s.musicVolume, 80);
  EXPECT_EQ(s.effectsVolume, 90);
  EXPECT_TRUE(s.fullscreen);

  startGame({"--data", kArena, "--ticks", "150"}, config);
  window = waitForWindow();
  ASSERT_FALSE(window.empty());
  EXPECT_EQ(geometry(window, screen), screen);
  ASSERT_EQ(xdotool({"windowfocus", "--sync", window, "key", "F11", "equal"}), 0);
  const WindowGeometry square{100, 100, 512, 512};
  EXPECT_EQ(geometry(window, square), square);
  ASSERT_EQ(gameExit(), 0);
  s = saved();
  EXPECT_FALSE(s.fullscreen);
  EXPECT_EQ(s.musicVolume, 90);
  EXPECT_EQ(s.effectsVolume, 90);

  const std::string before = readFile(file);
  startGame({"--data", kArena, "--ticks", "60", "--window", "640x400", "--aspect", "wide"}, config);
  window = waitForWindow();
  ASSERT_FALSE(window.empty());
  const WindowGeometry asked{100, 100, 640, 400};
  EXPECT_EQ(geometry(window, asked), asked);
  ASSERT_EQ(gameExit(), 0);
  EXPECT_EQ(readFile(file), before);
}

// A broken file: one line naming it, the line and the problem; the game
// plays with the defaults and leaves the file exactly as it was.
TEST(SettingsRun, ABrokenFileIsNamedOnceAndLeftAsItIs) {
  const fs::path file = fs::temp_directory_path() / ("cogstorm-broken-" + std::to_string(getpid()) + ".toml");
  const std::string text = "[window]\nwidth = 640\naspect = \"wide\"\n\n[keys]\nfire = [\"Space\", \"Spcae\"]\n";
  std::ofstream(file) << text;
  const RunResult run = runProgram("--data " + kArena + " --settings " + file.string() + " --ticks 3",
                                   "SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=0 ");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output, "cogstorm: " + file.string() +
                            ":6: \"Spcae\" (for fire) is not a key name; playing with the default settings\n");
  EXPECT_EQ(readFile(file.string()), text);
  fs::remove(file);
}

// Presentation never reaches the game: the arena's winning script gives
// its checked-in trace at any window shape, in each aspect mode, with a
// settings file that moves keys and turns the volumes down, headless and
// in the window.
TEST(Presentation, TheTraceIsTheSameWhateverTheShapeAspectAndSettings) {
  const fs::path dir = fs::temp_directory_path() / ("cogstorm-presentation-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string settings = (dir / "settings.toml").string();
  std::ofstream(settings) << "[window]\nwidth = 800\nheight = 450\naspect = \"wide\"\nstatus_line = false\n"
                             "[sound]\nmusic_volume = 30\neffects_volume = 0\n"
                             "[keys]\nfire = [\"F\", \"Space\"]\nxray = [\"X\"]\n";
  const std::string shots = " --screenshot-every 60 " + dir.string();
  const std::string window = "SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=0 ";
  struct Case {
    std::string args;
    std::string environment;
  };
  const Case table[] = {
      {"--headless --window 800x450 --aspect keep" + shots, ""},
      {"--headless --window 300x700 --aspect wide" + shots, ""},
      {"--headless --window 800x450 --aspect stretch" + shots, ""},
      {"--no-settings --window 800x450 --aspect keep", window},
      {"--settings " + settings, window},
      {"--no-settings --fullscreen --aspect stretch", window},
  };
  const std::string expected = readFile(kWinTrace);
  ASSERT_FALSE(expected.empty());
  for (const Case& c : table) {
    const std::string trace = (dir / "trace.jsonl").string();
    fs::remove(trace);
    const RunResult run =
        runProgram("--data " + kArena + " --ticks 175 --input " + kWinKeys + " --trace " + trace + " " + c.args,
                   c.environment);
    EXPECT_EQ(run.exitCode, 0) << c.args << "\n" << run.output;
    EXPECT_TRUE(readFile(trace) == expected) << c.args;
  }
  fs::remove_all(dir);
}

// Share of pixels of `part` (at `x` in `whole`) whose largest channel
// differs by more than 5% from `square`.
double differingShare(const ImageRgba& whole, int x, const ImageRgba& square) {
  size_t n = 0;
  for (int row = 0; row < square.height; ++row)
    for (int col = 0; col < square.width; ++col) {
      const uint8_t* a = &whole.pixels[(static_cast<size_t>(row) * whole.width + x + col) * 4];
      const uint8_t* b = &square.pixels[(static_cast<size_t>(row) * square.width + col) * 4];
      for (int k = 0; k < 3; ++k)
        if (std::abs(a[k] - b[k]) > 13) {
          ++n;
          break;
        }
    }
  return static_cast<double>(n) / (static_cast<double>(square.width) * square.height);
}

bool blackColumns(const ImageRgba& image, int from, int to) {
  for (int row = 0; row < image.height; ++row)
    for (int col = from; col < to; ++col) {
      const uint8_t* p = &image.pixels[(static_cast<size_t>(row) * image.width + col) * 4];
      if (p[0] || p[1] || p[2]) return false;
    }
  return true;
}

// At 800 x 450, "keep" is the 450 x 450 picture between black bars; "wide"
// has the same picture in its middle (the same vertical view, so the same
// scale) and more of the room at its sides.
TEST(AspectPictures, KeepIsTheSquarePictureBetweenBarsAndWideSeesMoreAtTheSides) {
  const fs::path dir = fs::temp_directory_path() / ("cogstorm-aspect-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const auto shot = [&](const std::string& name, const std::string& args) {
    const std::string png = (dir / (name + ".png")).string();
    const RunResult run = runProgram("--data " + kArena + " --headless --ticks 30 --input " + kWinKeys +
                                     " --screenshot " + png + " " + args);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ImageRgba image;
    std::string error;
    EXPECT_TRUE(loadImageFile(png, image, error)) << error;
    return image;
  };
  const ImageRgba square = shot("square", "--window 450x450");
  const ImageRgba keep = shot("keep", "--window 800x450");
  const ImageRgba wide = shot("wide", "--window 800x450 --aspect wide");
  ASSERT_EQ(square.width, 450);
  ASSERT_EQ(keep.width, 800);
  ASSERT_EQ(wide.width, 800);
  EXPECT_TRUE(blackColumns(keep, 0, 175));
  EXPECT_TRUE(blackColumns(keep, 625, 800));
  // Edges fall on other pixels at another place in the frame: a few differ.
  EXPECT_LT(differingShare(keep, 175, square), 0.002);
  EXPECT_LT(differingShare(wide, 175, square), 0.002);
  EXPECT_FALSE(blackColumns(wide, 0, 175));
  EXPECT_FALSE(blackColumns(wide, 625, 800));
  fs::remove_all(dir);
}

}  // namespace

}  // namespace cog
