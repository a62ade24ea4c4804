#pragma once
// BMP files to RGBA8 pixels. SDL2's reader serves the palette, RLE, 24-bit
// and plain 32-bit layouts; 16-bit pixels and bit-field masks are read here,
// so every channel widens to the nearest 8-bit value.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image_file.h"

namespace cog {

// Decodes the BMP in `data` (its "BM" magic already seen). On failure
// returns false and sets `what` to what was wrong, without the file name.
bool decodeBmp(const uint8_t* data, size_t size, ImageRgba& image, std::string& what);

// Frees what the reader keeps for the calling thread (SDL's error text);
// for a thread of our own that decoded BMPs, before it ends.
void releaseBmpThreadState();

}  // namespace cog
