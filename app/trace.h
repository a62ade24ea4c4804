#pragma once
// The trace of a run: one JSON object per tick, on its own line, with the
// player, the robots, the shot, the effects started and the music state.

#include <cstdint>
#include <string>

// Appends the trace line of tick `tick` (without the newline) to `out`.
// Reads the effects started since the last line; the caller clears them.
void appendTraceLine(std::string& out, int64_t tick);

// A float so that it reads back to the same 32-bit value; NaN is null.
void appendTraceFloat(std::string& out, float value);
