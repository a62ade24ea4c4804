// Texture images for the GL devices: decoding and the size limit of the GL at hand.
#include "render/gpu/texture_rules.h"

#include <optional>

namespace cog {

bool loadTextureImage(const std::string& fileName, int maxTextureSize, ImagePrefetch* prefetch, ImageRgba& image,
                      std::string& error) {
  std::optional<bool> read = prefetch != nullptr ? prefetch->take(fileName, image, error) : std::nullopt;
  if (!read) read = loadImageFile(fileName, image, error);
  if (!*read) return false;
  if (image.width > maxTextureSize || image.height > maxTextureSize) {
    error = fileName + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " is larger than this GL's largest texture (" + std::to_string(maxTextureSize) + ")";
    image = ImageRgba{};
    return false;
  }
  return true;
}

}  // namespace cog
