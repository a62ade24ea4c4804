#include "render/camera.h"

#include "render/device.h"
#include "sim/vec.h"

Matrix4 playerViewMatrix(const Player& player) {
  const Vec3& p = player.position;
  const float h = player.heading * kDegToRad;
  const Vec3 eye(p.x, p.y, p.z);
  const Vec3 target(p.x + sine32(h), 0.0f, p.z + cosine32(h));
  return matrixLookAtLH(eye, target, Vec3(0.0f, 1.0f, 0.0f));
}

Matrix4 projectionMatrix() { return matrixPerspectiveFovLH(kFieldOfViewY, kAspect, kNearPlane, kFarPlane); }

void SetupCamera() {
  device->SetTransform(D3DTS_WORLD, Matrix4::identity());
  device->SetTransform(D3DTS_VIEW, playerViewMatrix(sim.player));
  device->SetTransform(D3DTS_PROJECTION, projectionMatrix());
}
