#pragma once
// How the game's square picture fits a back buffer of another shape: the
// aspect modes. Presentation only; the game's ticks never depend on it.

#include <cstdint>

#include "seams/render_device.h"

namespace cog {

enum class AspectMode : uint8_t {
  Stretch,  // the square picture stretched over the whole back buffer
  Keep,     // the square picture, as large as fits, centred between black bars
  Wide,     // the whole back buffer, the view widened (or narrowed) to its shape
};

struct PictureLayout {
  uint32_t width = 0, height = 0;  // the back buffer
  Viewport viewport;               // where the picture goes in it
  float viewAspect = 1.0f;         // width over height of the camera's view
  bool bars = false;               // the viewport leaves bars to clear
};

PictureLayout layoutPicture(AspectMode mode, uint32_t width, uint32_t height);

// Before a frame: clears the bars black (when there are any) and sets the
// picture's viewport, which the game's own clear then fills.
void placePicture(RenderDevice& device, const PictureLayout& layout);

}  // namespace cog
