#pragma once
// How mesh records reach the device, and the render-state blocks of the
// frame's passes. The tick calls the blocks in this order: applyXrayStates
// (x-ray mode only), applyScenePassStages, then after the actor pass
// markMirrorStencil, beginReflectedView, and after the reflected passes
// drawGlass.

#include "base/matrix.h"
#include "base/vec3.h"
#include "render/scene.h"

namespace cog {

// The mirror: the plane x = -100, through this point with this normal. Its
// pane is record 0 of the room list.
constexpr Vec3 kMirrorPoint{-100.0f, 0.0f, 600.0f};
constexpr Vec3 kMirrorNormal{1.0f, 0.0f, 0.0f};
// The level texture that stands in for out-of-sight rooms in x-ray mode.
constexpr int kXrayTextureIndex = 4;

// How a record is drawn: as itself (its texture over its light map), as
// the reflected pass's light-map overlay, or as the mirror's glass.
enum class DrawMode { Normal, Overlay, Glass };

// One record's draw: material, base texture and light map (`index` picks the
// light map), blending for the overlay or the glass, the x-ray stand-in when
// out of sight, then the primitive call.
void draw(Scene& scene, const MeshRecord& record, int index, DrawMode mode);

// Depth test off and additive-style blending for the x-ray look.
void applyXrayStates(RenderDevice& device);
// Stage 0 shows the texture unlit.
void applyScenePassStages(RenderDevice& device);
// Marks the mirror pane's visible pixels with stencil 1; the colour buffer
// is left unchanged.
void markMirrorStencil(Scene& scene);
// Saves the view, sets the view reflected in the mirror plane and the
// states of the reflected pass. Returns the saved view for drawGlass.
Matrix4 beginReflectedView(RenderDevice& device);
// Restores culling and the view, then draws the pane as glass over the
// reflection; stencil testing ends with it.
void drawGlass(Scene& scene, const Matrix4& savedView);

}  // namespace cog
