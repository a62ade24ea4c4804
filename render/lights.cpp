#include "render/lights.h"

namespace cog {

std::unique_ptr<Texture> blankTexture;
std::unique_ptr<Texture> skyTexture;

Light pointLightAt(const Vec3& position) {
  Light light;
  light.type = D3DLIGHT_POINT;
  light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  light.position = position;
  light.range = kLightRange;
  light.attenuation0 = 1.0f;
  return light;
}

void SetupLights(const Vec3& playerPosition) {
  device->SetLight(0, pointLightAt(kFixedLightPosition));
  device->LightEnable(0, true);
  device->SetRenderState(D3DRS_LIGHTING, TRUE_);
  device->SetRenderState(D3DRS_AMBIENT, kAmbientLight);
  device->SetLight(1, pointLightAt(playerPosition));
  device->LightEnable(1, true);
}

int32_t initDevice(const Vec3& playerPosition, std::string& error) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE_);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  SetupLights(playerPosition);
  blankTexture = device->CreateTextureFromFile("blank.bmp", error);
  if (!blankTexture) return E_FAIL;
  skyTexture = device->CreateTextureFromFile("sky2.bmp", error);
  if (!skyTexture) return E_FAIL;
  return kOk;
}

void releaseDeviceTextures() {
  blankTexture.reset();
  skyTexture.reset();
}

}  // namespace cog
