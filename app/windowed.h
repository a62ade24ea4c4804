#pragma once
// The game in its window: real OpenGL drawing and, when the machine has a
// sound device, real sound.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/sound_options.h"

// Runs in the working directory (the level folder) until the window is
// closed, or for `maxTicks` ticks when that is positive, writing a trace
// line per tick when `tracePath` is not empty, with the sound `sound` asks
// for. Returns the exit code: 0 after a normal close, 1 when the game
// cannot start.
int runWindowed(int64_t maxTicks, const std::string& tracePath, const SoundOptions& sound, std::ostream& err);
