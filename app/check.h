#pragma once
// `cogstorm --check`: loads the level in the working folder without a window
// and says what it holds, or what is wrong with it.

#include <ostream>

// Loads the level from the working folder with a recording device (images
// are really decoded). On success prints a short summary to `out` and
// returns 0; on failure prints one line "cogstorm: <message>" to `err` and
// returns 1. The level and the actors' models are freed again either way.
int runCheck(std::ostream& out, std::ostream& err);
