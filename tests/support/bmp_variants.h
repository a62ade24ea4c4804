#pragma once
// BMP files in the layouts image editors write, made by code from one small
// picture, with the RGBA pixels each one holds, and a PNG writer for the
// twin of each.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image_file.h"

namespace cog {

struct BmpLayout {
  std::string name;
  int headerSize = 40;          // 12 (OS/2 core), 40, 56 (V3), 108 (V4), 124 (V5)
  int bitsPerPixel = 24;
  uint32_t compression = 0;     // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BI_BITFIELDS
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha for BI_BITFIELDS or V4/V5 32-bit
  bool topDown = false;
};

// Every layout the game reads: palettes of 1, 4 and 8 bits, RLE4 and RLE8,
// 16 bits 5-5-5 and 5-6-5 with and without masks, 24 and 32 bits, the OS/2,
// V3, V4 and V5 headers, and top-down rows.
std::vector<BmpLayout> allBmpLayouts();

struct BmpVariant {
  std::vector<uint8_t> file;  // the BMP
  ImageRgba pixels;           // what it holds, rows top to bottom
};

// A `width` x `height` picture in `layout`. Palette layouts use as many
// colours as they can hold; RLE files mix encoded runs, literal runs and
// line ends; narrow channels widen to the nearest 8-bit value.
BmpVariant makeBmpVariant(const BmpLayout& layout, int width, int height);

// An 8-bit RGBA PNG of `image`, in memory.
std::vector<uint8_t> encodePng(const ImageRgba& image);

}  // namespace cog
