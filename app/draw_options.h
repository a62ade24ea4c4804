#pragma once
// How a run draws, beyond what the game itself decides.

#include <string>

namespace cog {

struct DrawOptions {
  bool smooth = false;        // linear texture filtering with mipmaps
  std::string timedemoPath;   // key script played unpaced and timed; empty: none
};

}  // namespace cog
