#pragma once
// The player's settings file (TOML): what it holds, where it lives, reading
// it (every value checked, a problem named by file and line) and writing it
// with a comment over every key.

#include <cstdint>
#include <string>

#include "app/key_commands.h"
#include "app/render_choice.h"
#include "base/status.h"
#include "render/picture_layout.h"

namespace cog {

// The limits of a window side in pixels, for --window and the file.
constexpr int kMinWindowSide = 64;
constexpr int kMaxWindowSide = 8192;
constexpr int kVolumeStep = 10;  // percent per press of a volume key

struct Settings {
  int windowWidth = 512;
  int windowHeight = 512;
  bool fullscreen = false;
  AspectMode aspect = AspectMode::Keep;
  RendererChoice renderer = RendererChoice::Auto;
  bool smoothTextures = false;
  bool statusLine = true;
  int musicVolume = 100;    // percent of the game's mix, 0 to 100
  int effectsVolume = 100;  // percent of the game's mix, 0 to 100
  bool mute = false;
  bool mouseTurning = true;
  double mouseSensitivity = 1.0;  // 1 is the game's own turn rate for the mouse
  double stickPress = 0.5;        // of the left stick's travel: presses a direction
  double stickDeadZone = 0.25;    // of its travel: lets go again
  KeyLists keys = defaultKeyLists();

  bool operator==(const Settings&) const = default;
};

// Where the file is: $XDG_CONFIG_HOME/cogstorm/settings.toml, else
// $HOME/.config/cogstorm/settings.toml; empty when neither is set.
std::string defaultSettingsPath();

// The settings in `text`, read from `path`; every key may be left out.
// A failure is one line: "PATH:LINE: WHAT".
Result<Settings> parseSettings(const std::string& text, const std::string& path);

// The file as the game writes it: every key, each under its comment.
std::string settingsText(const Settings& settings);

// Writes the file (and its folder), replacing it whole only once the new
// text is written.
Status writeSettings(const std::string& path, const Settings& settings);

// "WxH" with each side from kMinWindowSide to kMaxWindowSide; false with
// `error` saying what is expected.
bool parseWindowSize(const std::string& text, int& width, int& height, std::string& error);

const char* aspectName(AspectMode mode);
// "keep", "stretch" or "wide", case ignored; false for anything else.
bool parseAspect(const std::string& name, AspectMode& mode);

}  // namespace cog
