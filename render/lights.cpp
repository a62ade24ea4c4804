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
}  // namespace cog
