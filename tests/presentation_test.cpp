// The presentation around the game: the trace of every script is the same
// with each addition on and off, headless and in the window; the cards and
// the status line are in the pictures, in the game's own font, on both GL
// devices; the pause and card rules of the window.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/how_to_play.h"
#include "app/play_shell.h"
#include "platform/image_file.h"
#include "render/overlay_font.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const std::string kData = COGSTORM_TEST_DATA;
const std::string kShipped = COGSTORM_SHIPPED_LEVEL_BUILD;
const std::string kDemos = COGSTORM_DEMO_DIR;

class Presentation : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("cogstorm-presentation-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  fs::path dir;
};

// A key script on a level, for as many ticks as the reference runs.
struct Script {
  std::string name, level, keys;
  int ticks;
  bool longRun;  // the shipped demos: not drawn with GL in every row
};

const std::vector<Script>& scripts() {
  static const std::vector<Script> all{
      {"win demo", kShipped, kDemos + "/win.keys", 700, true},
      {"lose demo", kShipped, kDemos + "/lose.keys", 200, true},
      {"arena win", kData + "/levels/arena", kData + "/traces/win.keys", 175, false},
      {"arena lose", kData + "/levels/arena", kData + "/traces/lose.keys", 60, false},
  };
  return all;
}

// One way of running a script: the options it adds (FILE and DIR stand
// for files and folders of the row's own), the environment, and whether
// the window plays it. Further additions are further rows.
struct Row {
  std::string name;
  std::string args;
  bool window = false;
  bool shortScriptsOnly = false;  // drawn with GL: seconds a run
};

const std::vector<Row>& rows() {
  static const std::vector<Row> all{
      {"headless, classic", "--headless --classic"},
      {"headless, status line and paused card", "--headless --status-line --card paused"},
      {"headless, feedback sounds heard", "--headless --audio-out FILE.wav"},
      {"headless, feedback sounds off (classic)", "--headless --classic --audio-out FILE.wav"},
      {"headless GL, no overlay", "--headless --screenshot-every 1000 DIR", false, true},
      {"headless GL, status line and how-to card", "--headless --status-line --card howto --screenshot-every 1000 DIR",
       false, true},
      {"window, unpaced, status line and kept frames", "--no-settings --mute --timedemo KEYS", true, true},
      {"window, unpaced, classic", "--mute --classic --timedemo KEYS", true, true},
      {"window at its pace, cards and pause ready", "--no-settings --mute --input KEYS", true, true},
  };
  return all;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST_F(Presentation, TheTraceIsTheSameWithEveryAdditionOnAndOff) {
  for (const Script& script : scripts()) {
    const std::string common = "--data " + script.level + " --ticks " + std::to_string(script.ticks);
    const RunResult plain =
        runProgram(common + " --headless --input " + script.keys + " --trace " + path("plain.jsonl"));
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    const std::string expected = readFile(path("plain.jsonl"));
    ASSERT_FALSE(expected.empty());
    for (const Row& row : rows()) {
      if (row.shortScriptsOnly && script.longRun) continue;
      SCOPED_TRACE(script.name + ", " + row.name);
      fs::create_directories(dir / "row");
      std::string args = replaceAll(row.args, "FILE", path("row/file"));
      args = replaceAll(args, "DIR", path("row"));
      args = replaceAll(args, "KEYS", script.keys);
      if (row.args.find("KEYS") == std::string::npos) args += " --input " + script.keys;
      const RunResult run = runProgram(common + " " + args + " --trace " + path("row.jsonl"),
                                       row.window ? "SDL_VIDEODRIVER=offscreen " : "");
      EXPECT_EQ(run.exitCode, 0) << run.output;
      EXPECT_TRUE(readFile(path("row.jsonl")) == expected) << "the trace differs";
      fs::remove_all(dir / "row");
    }
  }
}

// Every lit pixel of the overlay's text is drawn in the text's colour,
// where the layout put it.
int wrongTextPixels(const ImageRgba& image, const Overlay& overlay) {
  int wrong = 0;
  for (const OverlayText& text : overlay.texts) {
    const int s = static_cast<int>(text.scale);
    for (size_t i = 0; i < text.text.size(); ++i)
      for (int row = 0; row < kGlyphHeight; ++row)
        for (int col = 0; col < kGlyphWidth; ++col) {
          if (!glyphPixel(text.text[i], col, row)) continue;
          const int x = static_cast<int>(text.x) + (static_cast<int>(i) * kGlyphAdvance + col) * s + s / 2;
          const int y = static_cast<int>(text.y) + row * s + s / 2;
          const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
          const float want[3] = {text.colour.r * 255, text.colour.g * 255, text.colour.b * 255};
          for (int c = 0; c < 3; ++c)
            if (std::abs(p[c] - want[c]) > 24) {
              ++wrong;
              break;
            }
        }
  }
  return wrong;
}

// The how-to-play card, the paused card and the status line in headless
// pictures drawn by each GL device: their text is all there.
TEST_F(Presentation, CardsAndStatusLineAreInThePicturesOfBothDevices) {
  const Viewport window{0, 0, 512, 512, 0.0f, 1.0f};
  GameStatus start;
  start.robotsLeft = 7;
  const Overlay statusLine = [&] {
    Overlay o;
    addStatusLine(o, statusText(start, false), "", window);
    return o;
  }();
  const struct {
    std::string args;
    Overlay expected;
    bool drawn;
  } pictures[] = {
      {"", statusLine, false},  // the check sees when the text is not there
      {"--status-line", statusLine, true},
      {"--card howto", [&] {
         Overlay o;
         addCard(o, Card::HowToPlay, window);
         return o;
       }(), true},
      {"--card paused --status-line", [&] {
         Overlay o;
         addStatusLine(o, statusText(start, true), "", window);
         addCard(o, Card::Paused, window);
         return o;
       }(), true},
  };
  for (const std::string renderer : {"compat", "gl"}) {
    for (const auto& picture : pictures) {
      SCOPED_TRACE(renderer + " " + picture.args);
      const RunResult run = runProgram("--data " + kData + "/levels/arena --headless --ticks 3 --renderer " + renderer +
                                       " " + picture.args + " --screenshot " + path("shot.png"));
      ASSERT_EQ(run.exitCode, 0) << run.output;
      ImageRgba image;
      std::string error;
      ASSERT_TRUE(loadImageFile(path("shot.png"), image, error)) << error;
      ASSERT_EQ(image.width, 512);
      ASSERT_FALSE(picture.expected.texts.empty());
      if (picture.drawn)
        EXPECT_EQ(wrongTextPixels(image, picture.expected), 0);
      else
        EXPECT_GT(wrongTextPixels(image, picture.expected), 100);
    }
  }
}

TEST(PresentationOptions, CardAndStatusLineGoWithHeadless) {
  for (const std::string args : {"--status-line", "--card paused", "--card nothing --headless --ticks 1"}) {
    const RunResult run = runProgram("--data " + kData + "/levels/arena " + args, "env -u DISPLAY ");
    EXPECT_EQ(run.exitCode, 2) << args << ": " << run.output;
  }
}

// The card's words open the README, the man page and --help; --help
// names each key first and its code after.
TEST(HowToPlay, TheSameWordsEverywhere) {
  const std::string root = kData + "/../..";
  const RunResult help = runProgram("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const std::string& text :
       {readFile(root + "/README.md"), readFile(root + "/data/desktop/cogstorm.6"), help.output}) {
    EXPECT_NE(text.find(kHowToPlayGoal), std::string::npos) << text.substr(0, 200);
    EXPECT_NE(text.find(kHowToPlayRule), std::string::npos) << text.substr(0, 200);
  }
  const size_t keys = help.output.find("Keys (");
  ASSERT_NE(keys, std::string::npos);
  for (const KeyHelp& k : keyHelp()) {
    const size_t name = help.output.find(std::string("\n  ") + k.keys + " ", keys);
    ASSERT_NE(name, std::string::npos) << k.keys;
    const std::string line = help.output.substr(name, help.output.find('\n', name + 1) - name);
    if (k.codes[0] != '\0') {
      EXPECT_NE(line.find(std::string("code ") + k.codes), std::string::npos) << line;
    }
  }
}

// What the window does with its keys and events, in order: each step a
// signal or a game key, what reaches the game, and the card then shown.
TEST(PlayShell, PauseCardsAndQuitFollowTheKeys) {
  enum Kind { Signal, Key, Click };
  struct Step {
    Kind kind;
    WindowSignal signal;
    uint32_t code;
    bool passes;  // a game key reached the game; a click fired; a signal quit
    Card card;
  };
  const auto sig = [](WindowSignal s, Card card, bool quits = false) { return Step{Signal, s, 0, quits, card}; };
  const auto key = [](uint32_t code, bool passes, Card card) { return Step{Key, {}, code, passes, card}; };
  const auto click = [](bool fires, Card card) { return Step{Click, {}, 0, fires, card}; };
  const struct {
    std::string name;
    PresentationOptions options;
    std::vector<Step> steps;
  } cases[] = {
      {"first start", {false, true},
       {key(38, false, Card::None), key(38, true, Card::None), sig(WindowSignal::Help, Card::HowToPlay),
        sig(WindowSignal::OtherKey, Card::None)}},
      {"pause and resume", {},
       {sig(WindowSignal::Pause, Card::Paused), key(32, false, Card::Paused), sig(WindowSignal::Pause, Card::None),
        key(32, true, Card::None)}},
      {"escape twice quits when the key comes up", {},
       {sig(WindowSignal::Escape, Card::Paused), sig(WindowSignal::KeyReleased, Card::Paused),
        sig(WindowSignal::Escape, Card::Paused), sig(WindowSignal::KeyReleased, Card::Paused, true)}},
      {"Q quits from the pause", {},
       {sig(WindowSignal::FocusLost, Card::Paused), sig(WindowSignal::Quit, Card::Paused),
        sig(WindowSignal::KeyReleased, Card::Paused, true)}},
      {"help over the pause, dismissed back to it", {},
       {sig(WindowSignal::Hidden, Card::Paused), sig(WindowSignal::Help, Card::HowToPlay),
        sig(WindowSignal::Escape, Card::Paused), sig(WindowSignal::KeyReleased, Card::Paused)}},
      {"the controller in use unplugged", {}, {sig(WindowSignal::ControllerRemoved, Card::Paused)}},
      {"the first click captures, the next fires, none while paused", {},
       {click(false, Card::None), click(true, Card::None), sig(WindowSignal::Escape, Card::Paused),
        click(false, Card::Paused)}},
      {"classic: no cards, Escape closes", {true, true},
       {key(80, true, Card::None), sig(WindowSignal::Pause, Card::None), sig(WindowSignal::FocusLost, Card::None),
        click(false, Card::None), sig(WindowSignal::Escape, Card::None),
        sig(WindowSignal::KeyReleased, Card::None, true)}},
  };
  for (const auto& c : cases) {
    PlayShell shell(c.options);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(c.name + ", step " + std::to_string(i));
      const Step& step = c.steps[i];
      bool passes = false;
      if (step.kind == Signal) passes = shell.signal(step.signal);
      if (step.kind == Key) passes = shell.letThrough(step.code);
      if (step.kind == Click) passes = shell.clickFires();
      EXPECT_EQ(passes, step.passes);
      EXPECT_EQ(shell.card(), step.card);
      EXPECT_EQ(shell.paused(), step.card != Card::None);
    }
  }
}

// Mouse motion adds up to one turn key per 3 degrees, either way, and
// nothing before the mouse is captured or while paused.
TEST(PlayShell, MouseMotionTurnsOneKeyPerThreeDegrees) {
  PresentationOptions options;
  options.mouseDegreesPerPixel = 0.1f;
  PlayShell shell(options);
  EXPECT_TRUE(shell.mouseMoved(300).empty()) << "not captured yet";
  GameStatus status;
  status.robotsLeft = 7;
  shell.clickFires();
  EXPECT_EQ(shell.title(status), "Cogstorm! - 7 robots left - Esc frees the mouse");
  EXPECT_EQ(shell.mouseMoved(29).size(), 0u);                           // 2.9 degrees
  EXPECT_EQ(shell.mouseMoved(1), (std::vector<uint32_t>{39}));          // 3.0
  EXPECT_EQ(shell.mouseMoved(-61), (std::vector<uint32_t>{37, 37}));    // -6.1
  EXPECT_EQ(shell.mouseMoved(-29), (std::vector<uint32_t>{37}));        // -3.0 with the -0.1 left
  shell.signal(WindowSignal::Pause);
  EXPECT_TRUE(shell.mouseMoved(300).empty());
  EXPECT_FALSE(shell.wantsMouse()) << "pausing lets the mouse go";
  EXPECT_EQ(shell.title(status), "Cogstorm! - 7 robots left - paused");
}

TEST(PlayShell, TitleAndStatusLineSayTheState) {
  GameStatus s;
  s.robotsLeft = 5;
  s.frozen = true;
  s.musicOff = true;
  EXPECT_EQ(windowTitle(s, false), "Cogstorm! - 5 robots left - frozen - music off");
  EXPECT_EQ(statusText(s, true), "5 robots left - frozen - music off - paused");
  s = GameStatus{};
  s.robotsLeft = 1;
  s.xray = true;
  EXPECT_EQ(windowTitle(s, true), "Cogstorm! - 1 robot left - x-ray - paused");
  s.robotsLeft = 0;
  s.gameOver = true;
  EXPECT_EQ(windowTitle(s, false), "Cogstorm! - won - x-ray");
  PresentationOptions classic;
  classic.classic = true;
  EXPECT_EQ(PlayShell(classic).title(s), "Cogstorm!");
}

// The notice shows for its frames and goes on the last.
TEST(PlayShell, ANoticeShowsForAboutTwoSeconds) {
  PlayShell shell(PresentationOptions{});
  const Viewport window{0, 0, 512, 512, 0.0f, 1.0f};
  shell.notice("music volume 70%");
  for (int i = 0; i < kNoticeFrames - 1; ++i) shell.frame();
  EXPECT_EQ(shell.overlay(GameStatus{}, window).texts.back().text, "music volume 70%");
  shell.frame();
  EXPECT_NE(shell.overlay(GameStatus{}, window).texts.back().text, "music volume 70%");
}

}  // namespace

}  // namespace cog
