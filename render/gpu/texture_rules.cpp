// Texture images for the GL devices: decoding and the size limit of the GL at hand.
#include "render/gpu/texture_rules.h"

namespace cog {

bool loadTextureImage(const std::string& fileName, int maxTextureSize, ImageRgba& image, std::string& error) {
  if (!loadImageFile(fileName, image, error)) return false;
  if (image.width > maxTextureSize || image.height > maxTextureSize) {
    error = fileName + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " is larger than this GL's largest texture (" + std::to_string(maxTextureSize) + ")";
    image = ImageRgba{};
    return false;
  }
  return true;
}

}  // namespace cog
