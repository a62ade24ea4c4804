#pragma once
// The depth under the mirror. The room pass may have drawn the pane as an
// ordinary record, leaving its depth in front of everything the mirror
// reflects; after the stencil mark the pane's marked pixels are pushed back
// to the far plane, so that the reflected pass can draw into them. Pixels
// where something stands in front of the pane were never marked and keep
// their depth.

#include "render/scene.h"

namespace cog {

// Draws the pane once more where the stencil holds 1: depth test always
// passing, depth written at 1.0 (a viewport whose depth range is 1..1),
// colour unchanged (the mark's blend ZERO/ONE). Puts the depth test and the
// viewport back as they were. Call right after markMirrorStencil.
void pushMirrorDepthToFar(Scene& scene);

}  // namespace cog
