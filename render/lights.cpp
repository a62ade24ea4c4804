#include "render/lights.h"

namespace cog {

Light pointLightAt(const Vec3& position) {
  Light light;
  light.type = LightType::Point;
  light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  light.position = position;
  light.range = kLightRange;
  light.attenuation0 = 1.0f;
  return light;
}

void SetupLights(RenderDevice& device, const Vec3& playerPosition) {
  device.SetLight(0, pointLightAt(kFixedLightPosition));
  device.LightEnable(0, true);
  device.SetRenderState(RenderState::Lighting, true);
  device.SetRenderState(RenderState::Ambient, kAmbientLight);
  device.SetLight(1, pointLightAt(playerPosition));
  device.LightEnable(1, true);
}

Result<BaseTextures> initDevice(RenderDevice& device, const Vec3& playerPosition) {
  device.SetRenderState(RenderState::CullMode, Cull::CounterClockwise);
  device.SetRenderState(RenderState::MultisampleAntialias, true);
  device.SetRenderState(RenderState::ZEnable, true);
  SetupLights(device, playerPosition);
  BaseTextures textures;
  std::string error;
  textures.blank = device.CreateTextureFromFile("blank.bmp", error);
  if (!textures.blank) return Status::failure(error);
  textures.sky = device.CreateTextureFromFile("sky2.bmp", error);
  if (!textures.sky) return Status::failure(error);
  return textures;
}

}  // namespace cog
