#pragma once
// The camera: world, view and projection transforms from the player's pose.

#include "base/matrix.h"
#include "base/vec3.h"
#include "seams/render_device.h"

namespace cog {

constexpr float kFieldOfViewY = 0.6108652f;  // 35 degrees
constexpr float kAspect = 1.0f;               // the game's square view, whatever the window's shape
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 7000.0f;

// The first-person view: from the player's position towards the point one
// unit ahead along the heading (degrees), at height 0.
Matrix4 playerViewMatrix(const Vec3& position, float heading);
// The projection with the game's vertical field of view, `aspect` (width
// over height) wide.
Matrix4 projectionMatrix(float aspect = kAspect);

// Sets world (identity), view from the player's pose and projection, in
// that order. `aspect` is presentation: a wide window widens the view.
void SetupCamera(RenderDevice& device, const Vec3& position, float heading, float aspect = kAspect);

}  // namespace cog
