// The game in a real window on a real X server (Xvfb), with keys typed by
// xdotool: the window opens with its caption, the keyboard moves the player,
// and the program ends on its own after the ticks asked for.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/real_window.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // -displayfd: the server picks a free display and tells us its number.
    xvfb = spawnProgram({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "800x600x24", "-nolisten", "tcp"},
                 {}, -1);
    close(fds[1]);
    char buf[32] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    ASSERT_GT(n, 0) << "Xvfb did not start (is the xvfb package installed?)";
    display = ":";
    display.append(buf, static_cast<size_t>(n - (buf[n - 1] == '\n' ? 1 : 0)));
    dir = fs::temp_directory_path() / ("cogstorm-xvfb-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (game > 0) {  // a failed test leaves no game behind
      kill(game, SIGKILL);
      waitExit(game);
    }
    if (xvfb > 0) {
      kill(xvfb, SIGTERM);
      waitExit(xvfb);
    }
    fs::remove_all(dir);
  }

  int xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> full{"xdotool"};
    full.insert(full.end(), args.begin(), args.end());
    // search prints the window ids it finds: not wanted in the test log.
    const int devNull = ::open("/dev/null", O_WRONLY);
    const int code = waitExit(spawnProgram(full, {"DISPLAY=" + display}, devNull));
    if (devNull >= 0) close(devNull);
    return code;
  }

  pid_t xvfb = -1;
  pid_t game = -1;
  std::string display;
  fs::path dir;
};

// The arena with a wall across it at z = 200: the robots have no clear
// line to the player, so none comes near while the keys are typed.
fs::path walledArena(const fs::path& dir) {
  const fs::path level = dir / "level";
  fs::copy(std::string(COGSTORM_TEST_DATA) + "/levels/arena", level);
  std::ifstream in(level / "dat.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t counts = text.find("\n16 2\n");
  if (counts == std::string::npos) return {};
  text.replace(counts, 6, "\n17 2\n");
  text += "0 0 0 1 4 2\n"
          "-100 -90 200  0 0 -1  0 1\n-100 110 200  0 0 -1  0 0\n"
          "1300 -90 200  0 0 -1  1 1\n1300 110 200  0 0 -1  1 0\n";
  std::ofstream(level / "dat.txt") << text;
  return level;
}

TEST_F(RealWindow, KeysTypedIntoTheWindowMoveThePlayer) {
  const fs::path level = walledArena(dir);
  ASSERT_FALSE(level.empty()) << "the arena's room count line has changed";
  const fs::path trace = dir / "trace.jsonl";
  game = spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--ticks", "150", "--trace", trace.string()},
                           // Under the sanitizers, the X, D-Bus and Mesa libraries
                           // the window loads leave allocations behind at exit
                           // that are theirs, not the game's; the game's own
                           // memory is checked by the in-process tests.
                           {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null",
                            "ASAN_OPTIONS=detect_leaks=0"});
    // Wait for the window by its caption, then type three steps forward and
  // a turn to the right.
  // The window exists, hidden, while the level loads: wait until it shows.
  ASSERT_EQ(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Cogstorm!"}), 0);
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowfocus", "--sync", "key", "--delay", "60", "Up", "Up",
                     "Up", "Right"}),
            0);
  const int exitCode = waitExit(game);
  game = -1;
  ASSERT_EQ(exitCode, 0);

  std::ifstream in(trace);
  std::string line, last;
  int lines = 0;
  while (std::getline(in, line)) {
    last = line;
    ++lines;
  }
  EXPECT_EQ(lines, 150);
  const nlohmann::json end = nlohmann::json::parse(last);
  EXPECT_EQ(end["gameOver"], 0);
  EXPECT_EQ(end["player"]["pos"], nlohmann::json::parse("[0,0,74]")) << "three steps forward from z = 50";
  EXPECT_EQ(end["player"]["heading"], 3);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A session played in the window and recorded replays, headless and in the
// window, to the trace the window wrote.
TEST_F(RealWindow, ARecordedSessionReplaysToTheSameTrace) {
  const fs::path level = walledArena(dir);
  ASSERT_FALSE(level.empty()) << "the arena's room count line has changed";
  const std::vector<std::string> env{"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null",
                                     "ASAN_OPTIONS=detect_leaks=0"};
  const std::string ticks = "120";
  game = spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--ticks", ticks, "--trace", (dir / "window.jsonl").string(),
                "--record", (dir / "keys.txt").string()},
               env);
  ASSERT_EQ(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Cogstorm!"}), 0);
  // Walk, turn, fire, side-step both ways, music off, freeze, x-ray, back.
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowfocus", "--sync", "key", "--delay",
                     "40", "Up", "Up", "Right", "space", "v", "b", "m", "i", "t", "Down"}),
            0);
  ASSERT_EQ(waitExit(game), 0);
  game = -1;

  // The keys as typed, each with the tick it came before.
  std::ifstream in(dir / "keys.txt");
  std::vector<int> codes;
  int64_t lastTick = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    int64_t tick = 0;
    int code = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%ld %d", &tick, &code), 2) << line;
    EXPECT_GE(tick, lastTick);
    lastTick = tick;
    codes.push_back(code);
  }
  EXPECT_EQ(codes, (std::vector<int>{38, 38, 39, 32, 86, 66, 77, 73, 84, 40}));

  const std::string windowTrace = readFile(dir / "window.jsonl");
  EXPECT_EQ(std::count(windowTrace.begin(), windowTrace.end(), '\n'), 120);
  EXPECT_NE(windowTrace.find("\"music\":\"paused\""), std::string::npos);
  const int devNull = ::open("/dev/null", O_WRONLY);
  EXPECT_EQ(waitExit(spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--headless", "--ticks", ticks, "--input",
                            (dir / "keys.txt").string(), "--trace", (dir / "headless.jsonl").string()},
                           {}, devNull)),
            0);
  EXPECT_EQ(readFile(dir / "headless.jsonl"), windowTrace);

  // Played back in the window at its pace, and recorded again.
  game = spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--ticks", ticks, "--input", (dir / "keys.txt").string(),
                "--trace", (dir / "replay.jsonl").string(), "--record", (dir / "again.txt").string()},
               env, devNull);
  EXPECT_EQ(waitExit(game), 0);
  game = -1;
  if (devNull >= 0) close(devNull);
  EXPECT_EQ(readFile(dir / "replay.jsonl"), windowTrace);
  EXPECT_EQ(readFile(dir / "again.txt"), readFile(dir / "keys.txt"));
}

// The trace's size now and a little later: the same while no tick runs
// (a running game writes a line every 33 ms, kilobytes a second).
bool ticksStand(const fs::path& trace) {
  std::error_code ec;
  const auto before = fs::file_size(trace, ec);
  usleep(700 * 1000);
  return !ec && fs::file_size(trace, ec) == before;
}

// P pauses (no tick runs, the title says so) and P resumes; hiding the
// window (what minimising does without a window manager) pauses too. The
// run still ends after its ticks, with every tick in the trace.
TEST_F(RealWindow, PauseStopsTheTicksAndHidingTheWindowPauses) {
  const fs::path level = walledArena(dir);
  ASSERT_FALSE(level.empty());
  const fs::path trace = dir / "trace.jsonl";
  game = spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--ticks", "120", "--trace", trace.string()},
               {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null", "ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_EQ(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Cogstorm!"}), 0);
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowfocus", "--sync", "key", "p"}), 0);
  ASSERT_EQ(xdotool({"search", "--sync", "--name", "^Cogstorm! - .* - paused$"}), 0);
  EXPECT_TRUE(ticksStand(trace));
  ASSERT_EQ(xdotool({"key", "p"}), 0);
  EXPECT_FALSE(ticksStand(trace));
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowunmap", "--sync"}), 0);
  ASSERT_EQ(xdotool({"search", "--sync", "--name", "^Cogstorm! - .* - paused$"}), 0);
  EXPECT_TRUE(ticksStand(trace));
  ASSERT_EQ(xdotool({"search", "--name", "^Cogstorm!", "windowmap", "--sync", "windowfocus", "--sync", "key", "Pause"}),
            0);
  ASSERT_EQ(waitExit(game), 0);
  game = -1;
  const std::string text = readFile(trace);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 120);
}

// Escape shows the paused card, a second Escape (or Q) quits with exit 0,
// however the keys arrive: typed, or sent to the window as events of its
// own (xdotool --window); --classic quits on the first. Each twice,
// since a quit that left the key's events behind failed only sometimes.
TEST_F(RealWindow, EscapeShowsTheCardAndASecondEscapeQuits) {
  const struct {
    std::vector<std::string> extra;
    bool sendToWindow;
    std::vector<std::string> keys;
  } cases[] = {
      {{}, false, {"Escape", "Escape"}},
      {{}, true, {"Escape", "Escape"}},
      {{}, false, {"Escape", "q"}},
      {{"--classic"}, false, {"Escape"}},
      {{"--classic"}, true, {"Escape"}},
  };
  for (const auto& c : cases) {
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(c.keys.back() + (c.sendToWindow ? " sent to the window" : " typed") +
                   (c.extra.empty() ? "" : " " + c.extra[0]) + ", round " + std::to_string(round));
      std::vector<std::string> args{COGSTORM_BINARY, "--no-settings", "--data",
                                    std::string(COGSTORM_TEST_DATA) + "/levels/arena", "--mute"};
      args.insert(args.end(), c.extra.begin(), c.extra.end());
      game = spawnProgram(args, {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"});
      // xdotool's search fails itself when a window it walks past goes
      // (the last round's, as the server takes it down): look again.
      int found = 1;
      for (int tries = 0; tries < 3 && found != 0; ++tries)
        found = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Cogstorm!"});
      ASSERT_EQ(found, 0);
      ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowfocus", "--sync"}), 0);
      for (size_t i = 0; i < c.keys.size(); ++i) {
        if (i == 1) {  // the card is up: the game is paused
          EXPECT_EQ(xdotool({"search", "--sync", "--name", "^Cogstorm! - .* - paused$"}), 0);
        }
        const int sent = c.sendToWindow ? xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "key", "--window",
                                                   "%1", c.keys[i]})
                                        : xdotool({"key", c.keys[i]});
        EXPECT_EQ(sent, 0);
      }
      EXPECT_EQ(waitExit(game), 0);
      game = -1;
    }
  }
}

// In relative mode the mouse turns through the game's own turn keys, one
// for every 3 degrees (0.1 degree a pixel: 30 pixels), and the left button
// fires: the recording is what the keys would have made, and replays to
// the window's trace.
TEST_F(RealWindow, MouseTurningRecordsTheTurnKeys) {
  const fs::path level = walledArena(dir);
  ASSERT_FALSE(level.empty());
  const fs::path keys = dir / "keys.txt";
  game = spawnProgram({COGSTORM_BINARY, "--no-settings", "--data", level.string(), "--mute", "--record", keys.string(), "--ticks", "150",
                "--trace", (dir / "window.jsonl").string()},
               {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_EQ(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Cogstorm!"}), 0);
  // The first click only captures the mouse.
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Cogstorm!", "windowfocus", "--sync", "mousemove",
                     "--window", "%1", "256", "256", "click", "1"}),
            0);
  // The title says when the game holds the mouse; motion before that is
  // the pointer's, not the player's.
  ASSERT_EQ(xdotool({"search", "--sync", "--name", " Esc frees the mouse$"}), 0);
  // No two moves in a row alike: SDL drops a raw motion equal to the one
  // before it within the same millisecond as a duplicate, and a busy server
  // can stamp two moves with one time. No sum lands on a whole turn.
  for (const char* dx : {"45", "47", "46", "47"}) ASSERT_EQ(xdotool({"mousemove_relative", "--", dx, "0"}), 0);  // 18.5 degrees: 6 right
  for (const char* dx : {"-33", "-34", "-33"}) ASSERT_EQ(xdotool({"mousemove_relative", "--", dx, "0"}), 0);     // -10: 3 left
  usleep(200 * 1000);
  ASSERT_EQ(xdotool({"click", "1"}), 0);
  ASSERT_EQ(waitExit(game), 0);
  game = -1;
  std::vector<int> codes;
  std::istringstream in(readFile(keys));
  for (std::string line; std::getline(in, line);) {
    int64_t tick = 0;
    int code = 0;
    if (!line.empty() && line[0] != '#' && std::sscanf(line.c_str(), "%ld %d", &tick, &code) == 2) codes.push_back(code);
  }
  EXPECT_EQ(codes, (std::vector<int>{39, 39, 39, 39, 39, 39, 37, 37, 37, 32}));
  // And it replays headless to the window's trace.
  const int devNull = ::open("/dev/null", O_WRONLY);
  EXPECT_EQ(waitExit(spawnProgram({COGSTORM_BINARY, "--data", level.string(), "--headless", "--ticks", "150", "--input",
                            keys.string(), "--trace", (dir / "headless.jsonl").string()},
                           {}, devNull)),
            0);
  if (devNull >= 0) close(devNull);
  EXPECT_EQ(readFile(dir / "headless.jsonl"), readFile(dir / "window.jsonl"));
}

}  // namespace

}  // namespace cog
