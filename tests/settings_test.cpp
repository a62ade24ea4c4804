// The player's settings: the file read and written (every value checked at
// its limits, one line naming file, line and problem), the window's key
// bindings made from it, what a run saves back, the volume steps, the
// window size option and where the picture sits in each aspect mode.

#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/key_commands.h"
#include "app/player_settings.h"
#include "app/settings.h"
#include "app/user_dirs.h"
#include "game/keys.h"
#include "platform/window.h"
#include "render/picture_layout.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

TEST(SettingsFile, EachValueIsCheckedAtItsLimitsAndAProblemNamesFileLineAndWhat) {
  struct Case {
    const char* text;
    const char* problem;  // "" when the file is fine
  };
  const Case table[] = {
      {"", ""},
      {"[window]\nwidth = 64\nheight = 8192", ""},
      {"[window]\nwidth = 63", "s.toml:2: width must be a whole number from 64 to 8192"},
      {"[window]\n\nheight = 8193", "s.toml:3: height must be a whole number from 64 to 8192"},
      {"[window]\nwidth = \"800\"", "s.toml:2: width must be a whole number"},
      {"[window]\nfullscreen = 1", "s.toml:2: fullscreen must be true or false"},
      {"[window]\naspect = \"wide\"\nrenderer = \"gles\"", ""},
      {"[window]\naspect = \"tall\"", "s.toml:2: aspect must be one of \"keep\", \"stretch\", \"wide\""},
      {"[window]\nrenderer = \"vulkan\"", "s.toml:2: renderer must be one of"},
      {"[window]\nsize = 3", "s.toml:2: unknown setting \"size\" in [window]"},
      {"[sound]\nmusic_volume = 0\neffects_volume = 100", ""},
      {"[sound]\nmusic_volume = -1", "s.toml:2: music_volume must be a whole number from 0 to 100"},
      {"[sound]\neffects_volume = 101", "s.toml:2: effects_volume must be a whole number from 0 to 100"},
      {"[mouse]\nsensitivity = 0.1\n[controller]\nstick_press = 0.95\nstick_dead_zone = 0.05", ""},
      {"[mouse]\nsensitivity = 10.01", "s.toml:2: sensitivity must be a number from 0.1 to 10"},
      {"[mouse]\nsensitivity = nan", "s.toml:2: sensitivity must be a number"},
      {"[controller]\nstick_press = 0.4\nstick_dead_zone = 0.4", "s.toml:3: stick_dead_zone must be less than"},
      {"volume = 3", "s.toml:1: \"volume\" is not a settings table"},
      {"[window", "s.toml:1: "},
      {"[keys]\nfire = [\"F\", \"Return\"]\nnew_game = []", ""},
      {"[keys]\nfire = \"Space\"", "s.toml:2: fire must be a list of key names"},
      {"[keys]\nfire = [\"Spce\"]", "s.toml:2: \"Spce\" (for fire) is not a key name"},
      {"[keys]\nfire = [\"F11\"]", "s.toml:2: \"F11\" is kept for"},
      {"[keys]\nfire = [\"Tab\"]", "s.toml:2: \"Tab\" is kept for"},
      // A key left with its default command counts as taken.
      {"[keys]\nfire = [\"N\"]", "s.toml:2: \"N\" plays both new_game and fire"},
      {"[keys]\nfire = [\"N\"]\nnew_game = [\"Keypad .\"]", ""},
      {"[keys]\njump = [\"J\"]", "s.toml:2: unknown setting \"jump\" in [keys]"},
  };
  for (const Case& c : table) {
    const Result<Settings> read = parseSettings(c.text, "s.toml");
    if (c.problem[0] == '\0') {
      EXPECT_TRUE(read.ok()) << c.text << "\n" << read.message();
    } else {
      ASSERT_FALSE(read.ok()) << c.text;
      EXPECT_EQ(read.message().rfind(c.problem, 0), 0u) << c.text << "\n" << read.message();
      EXPECT_EQ(read.message().find('\n'), std::string::npos) << read.message();
    }
  }
}

TEST(SettingsFile, WhatIsWrittenReadsBackTheSameWithACommentOverEveryKey) {
  Settings s;
  s.windowWidth = 1280;
  s.windowHeight = 720;
  s.fullscreen = true;
  s.aspect = AspectMode::Wide;
  s.renderer = RendererChoice::Compat;
  s.smoothTextures = true;
  s.statusLine = false;
  s.musicVolume = 30;
  s.effectsVolume = 0;
  s.mute = true;
  s.mouseTurning = false;
  s.mouseSensitivity = 2.5;
  s.stickPress = 0.7;
  s.stickDeadZone = 0.1;
  s.keys[0] = {"F", "Return"};
  s.keys[1] = {};
  const std::string text = settingsText(s);
  const Result<Settings> back = parseSettings(text, "s.toml");
  ASSERT_TRUE(back.ok()) << back.message();
  EXPECT_TRUE(back.value() == s);
  EXPECT_TRUE(parseSettings(settingsText(Settings{}), "s.toml").value() == Settings{});

  std::istringstream lines(text);
  std::string line, before;
  while (std::getline(lines, line)) {
    if (line.find(" = ") != std::string::npos) {
      EXPECT_EQ(before.rfind("#", 0), 0u) << line;
    }
    before = line;
  }
}

TEST(SettingsFile, KeyBindingsSendTodaysCodesFromTheDefaultKeysAndTheCommandsFromOthers) {
  const KeyBindings defaults = makeKeyBindings(defaultKeyLists());
  // Every key sends what it always sent, so key scripts do not change.
  for (int32_t key : {SDLK_SPACE, SDLK_UP, SDLK_F7, SDLK_KP_2, SDLK_KP_MINUS, SDLK_KP_PERIOD, SDLK_KP_7, SDLK_F5,
                      SDLK_a, SDLK_1, SDLK_RETURN})
    EXPECT_EQ(defaults.gameCode(key), gameKeyCode(key)) << keyName(key);
  EXPECT_EQ(defaults.playerKey(SDLK_MINUS), PlayerKey::MusicQuieter);
  EXPECT_EQ(defaults.playerKey(SDLK_RIGHTBRACKET), PlayerKey::EffectsLouder);
  EXPECT_EQ(defaults.gameCode(SDLK_MINUS), 0u);

  const Result<Settings> moved =
      parseSettings("[keys]\nfire = [\"f\", \"Space\"]\nstep_left = [\"F7\", \"Z\"]\nmusic_louder = [\"Keypad +\"]\n"
                    "xray = []\n",
                    "s.toml");
  ASSERT_TRUE(moved.ok()) << moved.message();
  const KeyBindings keys = makeKeyBindings(moved.value().keys);
  struct Case {
    int32_t key;
    uint32_t code;
    PlayerKey player;
  };
  const Case table[] = {
      {SDLK_f, kKeyFire, PlayerKey::None},   {SDLK_SPACE, kKeyFire, PlayerKey::None},
      {SDLK_F7, kKeyStrafeLeftF7, PlayerKey::None}, {SDLK_z, kKeyStrafeLeft, PlayerKey::None},
      {SDLK_v, 0, PlayerKey::None},  // moved away: does nothing
      {SDLK_t, 0, PlayerKey::None},         {SDLK_F5, 0, PlayerKey::None},
      {SDLK_KP_PLUS, 0, PlayerKey::MusicLouder}, {SDLK_EQUALS, 0, PlayerKey::None},
      {SDLK_UP, kKeyUp, PlayerKey::None},   {SDLK_1, '1', PlayerKey::None},
  };
  for (const Case& c : table) {
    EXPECT_EQ(keys.gameCode(c.key), c.code) << keyName(c.key);
    EXPECT_EQ(keys.playerKey(c.key), c.player) << keyName(c.key);
  }
}

class SettingsSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("cogstorm-settings-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

// What the player changed in the game is saved; what the command line
// said is not; a broken file stays exactly as it was.
TEST_F(SettingsSave, ChangesInTheGameAreSavedAndABrokenFileIsLeftAlone) {
  const std::string path = (dir / "cogstorm" / "settings.toml").string();
  std::ostringstream err;
  SettingsSession first = openSettings(path, err);
  EXPECT_TRUE(first.firstStart);
  EXPECT_FALSE(fs::exists(path));  // written once a window has opened
  PlayerState start;
  start.windowWidth = 800;  // --window 800x600 on the command line
  start.windowHeight = 600;
  PlayerState end = start;
  end.fullscreen = true;
  end.musicVolume = 70;
  end.statusLine = false;
  saveSettings(first, start, end, err);
  SettingsSession second = openSettings(path, err);
  EXPECT_FALSE(second.firstStart);
  EXPECT_TRUE(second.file.fullscreen);
  EXPECT_EQ(second.file.musicVolume, 70);
  EXPECT_FALSE(second.file.statusLine);
  EXPECT_EQ(second.file.windowWidth, 512);  // the command line's size is not kept
  EXPECT_EQ(err.str(), "");

  // Nothing changed: the file is not written again.
  std::ofstream(path, std::ios::app) << "# the player's own note\n";
  saveSettings(second, start, start, err);
  EXPECT_NE(readFile(path).find("the player's own note"), std::string::npos);

  const std::string broken = "[sound]\nmusic_volume = 150\n";
  std::ofstream(path, std::ios::trunc) << broken;
  SettingsSession bad = openSettings(path, err);
  EXPECT_EQ(err.str(), "cogstorm: " + path +
                           ":2: music_volume must be a whole number from 0 to 100 (percent); playing with the "
                           "default settings\n");
  EXPECT_TRUE(bad.file == Settings{});
  saveSettings(bad, start, end, err);
  EXPECT_EQ(readFile(path), broken);
}

TEST(Volume, KeysStepByTenWithinNoneToAll) {
  const std::pair<int, int> louder[] = {{0, 10}, {90, 100}, {100, 100}, {95, 100}, {5, 10}};
  const std::pair<int, int> quieter[] = {{100, 90}, {10, 0}, {0, 0}, {95, 90}, {5, 0}};
  for (auto [from, to] : louder) EXPECT_EQ(steppedVolume(from, true), to) << from;
  for (auto [from, to] : quieter) EXPECT_EQ(steppedVolume(from, false), to) << from;
  PlayerState state;
  EXPECT_EQ(applyVolumeKey(PlayerKey::MusicQuieter, state), "music volume 90%");
  EXPECT_EQ(applyVolumeKey(PlayerKey::EffectsQuieter, state), "effects volume 90%");
  EXPECT_EQ(applyVolumeKey(PlayerKey::EffectsLouder, state), "effects volume 100%");
  EXPECT_EQ(state.musicVolume, 90);
}

TEST(WindowSize, WidthByHeightWithinTheLimits) {
  const std::pair<const char*, bool> table[] = {
      {"64x64", true},   {"8192x8192", true}, {"800X600", true}, {"63x64", false}, {"64x8193", false},
      {"0x5", false},    {"800", false},      {"x600", false},   {"800x", false},  {"-800x600", false},
      {"800x600x3", false}, {"99999999999x1", false}, {" 800x600", false}};
  for (auto [text, ok] : table) {
    int w = 0, h = 0;
    std::string error;
    EXPECT_EQ(parseWindowSize(text, w, h, error), ok) << text;
    if (!ok) {
      EXPECT_NE(error.find("64 to 8192"), std::string::npos) << error;
    }
  }
}

TEST(AspectModes, WhereThePictureSitsAndHowWideTheViewIs) {
  struct Case {
    AspectMode mode;
    uint32_t w, h;
    Viewport viewport;
    float aspect;
    bool bars;
  };
  const Case table[] = {
      {AspectMode::Keep, 800, 450, {175, 0, 450, 450}, 1.0f, true},
      {AspectMode::Keep, 450, 801, {0, 175, 450, 450}, 1.0f, true},
      {AspectMode::Keep, 512, 512, {0, 0, 512, 512}, 1.0f, false},
      {AspectMode::Stretch, 800, 450, {0, 0, 800, 450}, 1.0f, false},
      {AspectMode::Wide, 800, 400, {0, 0, 800, 400}, 2.0f, false},
      {AspectMode::Wide, 400, 800, {0, 0, 400, 800}, 0.5f, false},
      {AspectMode::Wide, 0, 0, {0, 0, 0, 0}, 1.0f, false},  // a minimised window
  };
  for (const Case& c : table) {
    const PictureLayout layout = layoutPicture(c.mode, c.w, c.h);
    EXPECT_TRUE(layout.viewport == c.viewport) << c.w << "x" << c.h;
    EXPECT_EQ(layout.viewAspect, c.aspect) << c.w << "x" << c.h;
    EXPECT_EQ(layout.bars, c.bars) << c.w << "x" << c.h;
  }
}

// The player's files by the base directory rules: the settings under
// XDG_CONFIG_HOME, the GL sample memo under XDG_CACHE_HOME.
TEST(UserFiles, FollowTheBaseDirectoryRules) {
  const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  const char* savedCache = std::getenv("XDG_CACHE_HOME");
  const std::string cache = savedCache != nullptr ? savedCache : "";
  const struct {
    const char* variable;  // null: unset
    const char* home;      // null: unset
    std::string want;
  } cases[] = {
      {"/x/cache", "/home/p", "/x/cache/cogstorm/gl-samples.txt"},
      {"relative/cache", "/home/p", "/home/p/.cache/cogstorm/gl-samples.txt"},
      {nullptr, "/home/p", "/home/p/.cache/cogstorm/gl-samples.txt"},
      {nullptr, nullptr, ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const auto set = [](const char* name, const char* value) {
      if (value != nullptr) setenv(name, value, 1);
      else unsetenv(name);
    };
    set("XDG_CACHE_HOME", c.variable);
    set("HOME", c.home);
    EXPECT_EQ(userFile("XDG_CACHE_HOME", ".cache", "gl-samples.txt"), c.want)
        << (c.variable ? c.variable : "(unset)") << ", " << (c.home ? c.home : "(unset)");
  }
  setenv("HOME", savedHome.c_str(), 1);
  if (savedCache != nullptr) setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  else unsetenv("XDG_CACHE_HOME");
}

}  // namespace

}  // namespace cog
