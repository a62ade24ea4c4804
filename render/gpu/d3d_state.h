#pragma once
// The Direct3D 8 state the GL devices keep, as the numbers the game set:
// the tables' sizes, the defaults a new device starts from, and what a
// stage set-up reads. No GL calls here.

#include <cstdint>

#include "seams/render_device.h"

namespace cog {

constexpr uint32_t kStages = 2;
constexpr uint32_t kRenderStates = 256;  // every Direct3D 8 state number is below this
constexpr uint32_t kStageStates = 32;

// Vertex layout of kMeshFvf.
constexpr uint32_t kNormalOffset = 12;
constexpr uint32_t kTex0Offset = 24;
constexpr uint32_t kTex1Offset = 32;

// Direct3D 8's default for every state the devices translate.
void setDefaultRenderStates(uint32_t rs[kRenderStates]);
void setDefaultStageStates(uint32_t stage, uint32_t ts[kStageStates]);

// The light Direct3D 8 enables when a light that was never set is switched
// on: white, directional, pointing along +z.
Light defaultLight();

// Whether the stages as set read the diffuse colour: when they do not (every
// textured room and prop), lighting cannot change the picture.
bool stagesReadDiffuse(const uint32_t stageState[kStages][kStageStates]);

// The colour of a Direct3D ARGB word as four 0..1 floats (r, g, b, a).
void colorFromArgb(uint32_t argb, float out[4]);

}  // namespace cog
