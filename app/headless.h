#pragma once
// Headless runs: no window and no sound device. Ticks run back to back on
// the recording device and the silent audio engine (or, when the sound is
// recorded, the loopback engine), keys come from a script, and a trace line
// is written after every tick. A run that takes pictures or times its frames
// draws with OpenGL on an offscreen surface instead; the trace is the same
// either way.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/draw_options.h"
#include "app/screenshot.h"
#include "app/sound_options.h"

namespace cog {

struct HeadlessOptions {
  int64_t ticks = 0;
  std::string inputPath;  // key script; empty: no keys
  std::string tracePath;  // trace file; empty: no trace
  ScreenshotOptions shots;
  DrawOptions draw;   // a timedemo's script is also `inputPath`
  SoundOptions sound;  // with an audio-out path the run is heard and recorded
  int frameWidth = 512, frameHeight = 512;  // the frames drawn with GL: the window's default size

  bool drawsWithGl() const { return shots.any() || !draw.timedemoPath.empty(); }
};

constexpr int kTickMilliseconds = 33;

// Runs in the working directory (the level folder). Returns the exit code:
// 0 on success, 1 when the game cannot start or a file cannot be used. A
// timedemo prints its summary line on standard output.
int runHeadless(const HeadlessOptions& options, std::ostream& err);

}  // namespace cog
