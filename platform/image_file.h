#pragma once
// Image files to RGBA8 pixels: BMP (SDL2 and platform/bmp_image), PNG (libpng) and JPEG
// (libjpeg). The decoder is chosen by the file's first bytes, never by its
// name. Every failure names the file and says what was wrong; nothing here
// aborts the process or leaks on bad data.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cog {

// Largest accepted width or height.
constexpr int kMaxImageSide = 16384;
// Largest accepted picture: 4096 x 4096 pixels (64 MiB of RGBA).
constexpr uint64_t kMaxImagePixels = uint64_t{4096} * 4096;
// Largest image file read at all.
constexpr size_t kMaxImageFileBytes = size_t{256} << 20;

struct ImageRgba {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes, rows top to bottom, R G B A
};

enum class ImageFormat { Unknown, Bmp, Png, Jpeg };

// The format named by the first bytes of `data`.
ImageFormat sniffImageFormat(const uint8_t* data, size_t size);

// Reads and decodes `path`. On failure returns false, leaves `image` empty
// and sets `error` to "<path>: <what was wrong>".
bool loadImageFile(const std::string& path, ImageRgba& image, std::string& error);

// Decodes an image held in memory; `name` is used in messages only.
bool decodeImage(const uint8_t* data, size_t size, const std::string& name, ImageRgba& image,
                 std::string& error);

}  // namespace cog
