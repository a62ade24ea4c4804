#include "render/camera.h"

#include "base/vec.h"
#include "seams/render_device.h"

namespace cog {

Matrix4 playerViewMatrix(const Vec3& position, float heading) {
  const Vec3& p = position;
  const float h = heading * kDegToRad;
  const Vec3 eye(p.x, p.y, p.z);
  const Vec3 target(p.x + sine32(h), 0.0f, p.z + cosine32(h));
  return matrixLookAtLH(eye, target, Vec3(0.0f, 1.0f, 0.0f));
}

Matrix4 projectionMatrix(float aspect) { return matrixPerspectiveFovLH(kFieldOfViewY, aspect, kNearPlane, kFarPlane); }

void SetupCamera(RenderDevice& device, const Vec3& position, float heading, float aspect) {
  device.SetTransform(TransformKind::World, Matrix4::identity());
  device.SetTransform(TransformKind::View, playerViewMatrix(position, heading));
  device.SetTransform(TransformKind::Projection, projectionMatrix(aspect));
}

}  // namespace cog
