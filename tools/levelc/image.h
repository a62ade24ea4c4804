#pragma once
// An RGB image of 8-bit channels, rows top first, and its BMP and PNG writers.

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  uint8_t* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  // Sets a pixel from channels in 0..1 (clamped).
  void set(int x, int y, float r, float g, float b);
};

// A 24-bit uncompressed BMP. False with `error` naming the file on failure.
bool writeBmp(const std::string& path, const Image& image, std::string& error);
// An 8-bit RGB PNG. False with `error` naming the file on failure.
bool writePng(const std::string& path, const Image& image, std::string& error);

}  // namespace cog
