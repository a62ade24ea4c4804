#pragma once
// Key scripts for headless runs. Each non-empty line not starting with '#'
// is "TICK CODE": key code CODE (0-255) is pressed just before tick TICK
// (ticks count from 1). Lines of one tick are delivered in file order.

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

struct KeyPress {
  int64_t tick = 0;
  uint32_t code = 0;
};

// Reads a script, sorted by tick with file order kept within a tick.
// False with `error` naming the file and line when it cannot be read.
bool readKeyScript(const std::string& path, std::vector<KeyPress>& presses, std::string& error);

}  // namespace cog
