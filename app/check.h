#pragma once
// `cogstorm --check`: loads the level in the working folder without a window
// and says what it holds, or what is wrong with it.

#include <ostream>

namespace cog {

// Starts the game from the working folder as a headless run does: the
// music and sounds, the base images and the level are all opened and really
// decoded. On success prints a short summary to `out`, one line
// "cogstorm: warning: <file>: <what>" to `err` for each thing that will look
// or play wrong, and returns 0; on failure prints the game's one-line message
// to `err` and returns 1. Everything is freed again either way.
int runCheck(std::ostream& out, std::ostream& err);

}  // namespace cog
