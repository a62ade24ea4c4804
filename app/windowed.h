#pragma once
// The game in its window: real OpenGL drawing and, when the machine has a
// sound device, real sound.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/draw_options.h"

// Runs in the working directory (the level folder) until the window is
// closed, or for `maxTicks` ticks when that is positive, writing a trace
// line per tick when `tracePath` is not empty. With a timedemo script in
// `draw`, plays it unpaced (for `maxTicks` ticks, or to its last key) and
// prints the frame times. Returns the exit code: 0 after a normal close, 1
// when the game cannot start.
int runWindowed(int64_t maxTicks, const std::string& tracePath, std::ostream& err, const DrawOptions& draw = {});
