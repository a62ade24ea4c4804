// Fuzzes the image decoders: the input is one image file, BMP, PNG or JPEG
// by its first bytes. A decoded picture has the size it claims; a refusal
// names the file and leaves no pixels.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image_file.h"

namespace cog {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ImageRgba image;
  std::string error;
  const bool ok = decodeImage(data, size, "fuzz.img", image, error);
  if (ok) {
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxImageSide || image.height > kMaxImageSide)
      __builtin_trap();
    if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4)
      __builtin_trap();
  } else if (error.rfind("fuzz.img: ", 0) != 0 || !image.pixels.empty()) {
    __builtin_trap();
  }
  return 0;
}

}  // namespace cog
