#pragma once
// How the GL devices turn an image file into a texture: decoded to RGBA8,
// rows top first (v = 0 is the top, as in Direct3D), refused when larger
// than the GL allows, sampled as the filter says. No GL calls here.

#include <string>

#include "platform/image_file.h"
#include "platform/image_prefetch.h"

namespace cog {

// How textures are sampled. The game sets no filter, so Direct3D 8's
// defaults hold: the nearest texel, no mipmaps. Smooth (linear with
// mipmaps) is for players who prefer it.
enum class TextureFilter { Point, Smooth };

// Reads `fileName` for a GL whose largest texture side is `maxTextureSize`,
// taken from `prefetch` when it decoded the file ahead (null: none). False
// with `error` naming the file when it cannot be used.
bool loadTextureImage(const std::string& fileName, int maxTextureSize, ImagePrefetch* prefetch, ImageRgba& image,
                      std::string& error);

}  // namespace cog
