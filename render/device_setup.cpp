// Start-up's device step: the fixed render states, the lights and the two base textures.
#include "render/device_setup.h"

#include "render/lights.h"

namespace cog {

Result<BaseTextures> initDevice(RenderDevice& device, const Vec3& playerPosition) {
  device.SetRenderState(RenderState::CullMode, Cull::CounterClockwise);
  device.SetRenderState(RenderState::MultisampleAntialias, true);
  device.SetRenderState(RenderState::ZEnable, true);
  SetupLights(device, playerPosition);
  BaseTextures textures;
  std::string error;
  textures.blank = device.CreateTextureFromFile(kBaseImageFiles[0], error);
  if (!textures.blank) return Status::failure(error);
  textures.sky = device.CreateTextureFromFile(kBaseImageFiles[1], error);
  if (!textures.sky) return Status::failure(error);
  return textures;
}

}  // namespace cog
