#pragma once
// How a run draws, beyond what the game itself decides.

#include <string>

#include "app/render_choice.h"
#include "render/picture_layout.h"

namespace cog {

struct DrawOptions {
  bool smooth = false;        // linear texture filtering with mipmaps
  std::string timedemoPath;   // key script played unpaced and timed; empty: none
  RendererChoice renderer = RendererChoice::Auto;  // which GL device draws
  AspectMode aspect = AspectMode::Keep;            // how the picture fits a frame of another shape
  std::string sampleMemoPath;  // the GLs known not to grant the game's samples; empty: ask every time
};

}  // namespace cog
