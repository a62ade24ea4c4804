#pragma once
// Procedural textures. Each style paints a square image that repeats
// seamlessly; colours come from the source (colour and accent, 0..255).
// Styles: plates, panels, bricks, concrete, ceiling, crate, hazard, console,
// lamp, xray, robot, face, glass, energy, sign.

#include <string>

#include "tools/levelc/image.h"
#include "tools/levelc/source.h"

namespace cog {

// The painted image, or an empty one (width 0) when the style is unknown.
Image paintTexture(const TextureSource& t);

// True when `style` names a painter.
bool knownPaintStyle(const std::string& style);

}  // namespace cog
