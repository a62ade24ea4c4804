#pragma once
// Device start-up states, the two point lights and the two base textures.

#include <cstdint>
#include <memory>
#include <string>

#include "base/status.h"
#include "seams/render_device.h"

namespace cog {

constexpr uint32_t kAmbientLight = 0xFF404040;
constexpr float kLightRange = 1000.0f;
constexpr Vec3 kFixedLightPosition{50.0f, 50.0f, 320.0f};

// Light 0 fixed, the ambient level, light 1 at the player's position.
void SetupLights(RenderDevice& device, const Vec3& playerPosition);

// The light both lamps share but for the position.
Light pointLightAt(const Vec3& position);

}  // namespace cog
