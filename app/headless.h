#pragma once
// Headless runs: no window and no sound device. Ticks run back to back on
// the recording device and the silent audio engine (or, when the sound is
// recorded, the loopback engine), keys come from a script, and a trace line
// is written after every tick.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/sound_options.h"

struct HeadlessOptions {
  int64_t ticks = 0;
  std::string inputPath;  // key script; empty: no keys
  std::string tracePath;  // trace file; empty: no trace
  SoundOptions sound;     // with an audio-out path the run is heard and recorded
};

constexpr int kTickMilliseconds = 33;

// Runs in the working directory (the level folder). Returns the exit code:
// 0 on success, 1 when the game cannot start or a file cannot be used.
int runHeadless(const HeadlessOptions& options, std::ostream& err);
