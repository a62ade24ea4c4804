#pragma once
// Checks the image decoders share before they allocate anything.

#include <cstddef>
#include <cstdint>
#include <string>

namespace cog {

// Declared dimensions: positive, within kMaxImageSide, plausible for a file
// of `fileSize` bytes that packs at most `pixelsPerByte` pixels per byte, and
// within kMaxImagePixels. On a problem sets `what` and returns false.
bool checkDimensions(int64_t w, int64_t h, size_t fileSize, uint64_t pixelsPerByte, std::string& what);
std::string dims(int64_t w, int64_t h);

// Little-endian reads from a buffer known to hold the bytes.
inline uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace cog
