#pragma once
// Flags that steer how records are drawn; set by the tick and the keys.

#include <cstdint>

namespace cog {

struct DrawFlags {
  uint8_t xrayMode = 0;
  uint8_t outOfSight = 0;
  uint8_t drawingObjects = 0;

  void reset() { *this = DrawFlags(); }
};

}  // namespace cog
