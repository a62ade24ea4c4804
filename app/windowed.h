#pragma once
// The game in its window: real OpenGL drawing and, when the machine has a
// sound device, real sound.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/draw_options.h"
#include "app/play_shell.h"
#include "app/player_settings.h"
#include "app/sound_options.h"
#include "platform/controller_map.h"
#include "platform/key_bindings.h"

namespace cog {

struct WindowedOptions {
  int64_t maxTicks = 0;    // stop after this many ticks; 0: when the window closes
  std::string inputPath;   // key script played at the game's pace; empty: none
  std::string tracePath;   // trace file; empty: no trace
  std::string recordPath;  // key script of every key played; empty: none
  DrawOptions draw;        // with a timedemo script: play it unpaced and print frame times
  SoundOptions sound;      // SoundFont, mute
  PresentationOptions presentation;  // cards, status line, mouse, --classic

  // From the settings file and the command line; all presentation.
  PlayerState player;                    // window size, fullscreen, volumes, status line at the start
  KeyBindings keys;                      // which key plays which command
  StickZones stick;                      // where a controller's stick presses and lets go
  bool mouseTurning = true;
  double mouseSensitivity = 1.0;
  bool firstStart = false;  // no settings file existed before this run
  // Shows a short line on the picture for a moment ("music volume 70%");
  // unset: nothing is shown.
  std::function<void(const std::string&)> notice;
  // When set, receives what the player changed by the end of the run, once
  // the window has opened (left empty when it never did).
  std::optional<PlayerState>* playerAtExit = nullptr;
};

// Runs in the working directory (the level folder) until the window is
// closed, or for `maxTicks` ticks when that is positive. Keys come from the
// keyboard, game controllers and the script; the recording notes each as
// pressed just before the tick that follows it, so a headless run of the
// recording gives the same trace. Returns the exit code: 0 after a normal
// close, 1 when the game cannot start or a file cannot be used.
int runWindowed(const WindowedOptions& options, std::ostream& err);

}  // namespace cog
