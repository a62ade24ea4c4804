#include "render/picture_layout.h"

#include <algorithm>

namespace cog {

PictureLayout layoutPicture(AspectMode mode, uint32_t width, uint32_t height) {
  PictureLayout layout;
  layout.width = width;
  layout.height = height;
  layout.viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
  if (width == 0 || height == 0) return layout;
  if (mode == AspectMode::Keep && width != height) {
    const uint32_t side = std::min(width, height);
    layout.viewport = Viewport{(width - side) / 2, (height - side) / 2, side, side, 0.0f, 1.0f};
    layout.bars = true;
  } else if (mode == AspectMode::Wide) {
    layout.viewAspect = static_cast<float>(width) / static_cast<float>(height);
  }
  return layout;
}

void placePicture(RenderDevice& device, const PictureLayout& layout) {
  if (layout.bars) {
    device.SetViewport(Viewport{0, 0, layout.width, layout.height, 0.0f, 1.0f});
    device.Clear(ClearFlags::Target, 0xFF000000u, 1.0f, 0);
  }
  device.SetViewport(layout.viewport);
}

}  // namespace cog
