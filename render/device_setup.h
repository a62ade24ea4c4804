#pragma once
// Start-up's device step, run once the device is made.

#include <memory>

#include "base/status.h"
#include "base/vec3.h"
#include "seams/render_device.h"

namespace cog {

// The base textures, loaded at start-up. The sky is loaded (its absence
// stops start-up) but no pass draws it.
struct BaseTextures {
  std::unique_ptr<Texture> blank;
  std::unique_ptr<Texture> sky;
};

// The base textures' files, in the order initDevice loads them.
inline constexpr const char* kBaseImageFiles[] = {"blank.bmp", "sky2.bmp"};

// With `device` already made: the start-up render states, the lights (the
// player at `playerPosition`), then "blank.bmp" and "sky2.bmp" from the
// working directory. A failure names the image and what was wrong with it.
Result<BaseTextures> initDevice(RenderDevice& device, const Vec3& playerPosition);

}  // namespace cog
