#pragma once
// The game in its window: real OpenGL drawing and, when the machine has a
// sound device, real sound.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/draw_options.h"
#include "app/play_shell.h"
#include "app/sound_options.h"

namespace cog {

struct WindowedOptions {
  int64_t maxTicks = 0;    // stop after this many ticks; 0: when the window closes
  std::string inputPath;   // key script played at the game's pace; empty: none
  std::string tracePath;   // trace file; empty: no trace
  std::string recordPath;  // key script of every key played; empty: none
  DrawOptions draw;        // with a timedemo script: play it unpaced and print frame times
  SoundOptions sound;      // SoundFont, mute
  PresentationOptions presentation;  // cards, status line, mouse, --classic
};

// Runs in the working directory (the level folder) until the window is
// closed, or for `maxTicks` ticks when that is positive. Keys come from the
// keyboard, game controllers and the script; the recording notes each as
// pressed just before the tick that follows it, so a headless run of the
// recording gives the same trace. Returns the exit code: 0 after a normal
// close, 1 when the game cannot start or a file cannot be used.
int runWindowed(const WindowedOptions& options, std::ostream& err);

}  // namespace cog
