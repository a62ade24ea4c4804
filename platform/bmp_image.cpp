#include "platform/bmp_image.h"

#if defined(__EMSCRIPTEN__)
// The browser build has no SDL: stb_image (libstb-dev) reads the same layouts.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_ASSERT(x) ((void)0)
#include <stb_image.h>
#else
#include <SDL.h>
#endif

#include <bit>
#include <cstring>

#include "platform/image_checks.h"

namespace cog {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// RLE can paint up to 255 x 255 pixels with one four-byte delta; anything
// that needs more pixels per byte than this is a broken header.
constexpr uint64_t kRlePixelsPerByte = 65536;
// An uncompressed file packs at most eight pixels a byte (1 bit each).
constexpr uint64_t kPlainPixelsPerByte = 8;
// Where the masks sit: right after a 40-byte header, or inside a longer one.
constexpr size_t kMaskOffset = 14 + 40;

struct BmpHeader {
  uint32_t pixelOffset = 0;
  uint32_t infoSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // rows, always positive
  bool topDown = false;
  uint32_t bitsPerPixel = 0;
  uint32_t compression = kBiRgb;
};

bool readHeader(const uint8_t* data, size_t size, BmpHeader& h, std::string& what) {
  if (size < 26) {
    what = "truncated BMP data (header incomplete)";
    return false;
  }
  h.pixelOffset = le32(data + 10);
  h.infoSize = le32(data + 14);
  if (h.infoSize == 12) {
    h.width = le16(data + 18);
    h.height = le16(data + 20);
    h.bitsPerPixel = le16(data + 24);
  } else if (h.infoSize >= 16) {
    if (size < 14 + static_cast<size_t>(std::min<uint32_t>(h.infoSize, 40)) || size < 30) {
      what = "truncated BMP data (header incomplete)";
      return false;
    }
    h.width = static_cast<int32_t>(le32(data + 18));
    h.height = static_cast<int32_t>(le32(data + 22));
    h.bitsPerPixel = le16(data + 28);
    h.compression = h.infoSize >= 20 && size >= 34 ? le32(data + 30) : kBiRgb;
  } else {
    what = "corrupt BMP data (unknown header size " + std::to_string(h.infoSize) + ")";
    return false;
  }
  if (h.height < 0) {
    h.height = -h.height;
    h.topDown = true;
  }
  return true;
}

// 16-bit pixels and bit-field masks: each channel is scaled from its mask's
// range to 0..255, rounding to the nearest value.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? m >> shift : 0) {}
  uint8_t read(uint32_t pixel, uint8_t absent) const {
    if (max == 0) return absent;
    const uint64_t v = (pixel & mask) >> shift;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

bool decodeMasked(const uint8_t* data, size_t size, const BmpHeader& h, ImageRgba& image, std::string& what) {
  uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};  // what 16-bit BI_RGB means
  if (h.compression != kBiRgb) {
    const bool hasAlpha = h.compression == kBiAlphaBitfields || h.infoSize >= 56;
    if (size < kMaskOffset + (hasAlpha ? 16 : 12)) {
      what = "truncated BMP data (colour masks missing)";
      return false;
    }
    for (int i = 0; i < (hasAlpha ? 4 : 3); ++i) masks[i] = le32(data + kMaskOffset + 4 * i);
  }
  if ((masks[0] | masks[1] | masks[2]) == 0) {
    what = "corrupt BMP data (no colour masks)";
    return false;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  const size_t w = static_cast<size_t>(h.width);
  const size_t rows = static_cast<size_t>(h.height);
  const size_t bytesPerPixel = h.bitsPerPixel / 8;
  const size_t rowBytes = (w * h.bitsPerPixel + 31) / 32 * 4;
  image.width = static_cast<int>(w);
  image.height = static_cast<int>(rows);
  image.pixels.resize(w * rows * 4);
  bool anyAlpha = false;
  for (size_t r = 0; r < rows; ++r) {
    const uint8_t* in = data + h.pixelOffset + r * rowBytes;  // checked against the size by the caller
    uint8_t* out = image.pixels.data() + (h.topDown ? r : rows - 1 - r) * w * 4;
    for (size_t x = 0; x < w; ++x, in += bytesPerPixel, out += 4) {
      const uint32_t pixel = bytesPerPixel == 2 ? le16(in) : le32(in);
      out[0] = red.read(pixel, 0);
      out[1] = green.read(pixel, 0);
      out[2] = blue.read(pixel, 0);
      out[3] = alpha.read(pixel, 255);
      anyAlpha = anyAlpha || out[3] != 0;
    }
  }
  // Writers that fill an alpha mask with zeros mean an opaque picture.
  if (!anyAlpha)
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  return true;
}

#if defined(__EMSCRIPTEN__)
bool decodeWithSdl(const uint8_t* data, size_t size, ImageRgba& image, std::string& what) {
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
  if (pixels == nullptr) {
    what = std::string("corrupt BMP data (") + stbi_failure_reason() + ")";
    return false;
  }
  image.width = w;
  image.height = h;
  image.pixels.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
  stbi_image_free(pixels);
  return true;
}
#else
bool decodeWithSdl(const uint8_t* data, size_t size, ImageRgba& image, std::string& what) {
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (rw == nullptr) {
    what = std::string("cannot read BMP data (") + SDL_GetError() + ")";
    return false;
  }
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (loaded == nullptr) {
    what = std::string("corrupt BMP data (") + SDL_GetError() + ")";
    return false;
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) {
    what = std::string("cannot convert BMP pixels (") + SDL_GetError() + ")";
    return false;
  }
  if (rgba->w <= 0 || rgba->h <= 0 || rgba->w > kMaxImageSide || rgba->h > kMaxImageSide) {
    what = "invalid image dimensions " + dims(rgba->w, rgba->h);
    SDL_FreeSurface(rgba);
    return false;
  }
  image.width = rgba->w;
  image.height = rgba->h;
  image.pixels.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
  const bool mustLock = SDL_MUSTLOCK(rgba);
  if (mustLock) SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y)
    std::memcpy(image.pixels.data() + static_cast<size_t>(y) * rgba->w * 4,
                static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch,
                static_cast<size_t>(rgba->w) * 4);
  if (mustLock) SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return true;
}
#endif

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, ImageRgba& image, std::string& what) {
  // Check the header ourselves first: SDL would allocate whatever it says.
  BmpHeader h;
  if (!readHeader(data, size, h, what)) return false;
  const bool rle = (h.compression == kBiRle8 && h.bitsPerPixel == 8) ||
                   (h.compression == kBiRle4 && h.bitsPerPixel == 4);
  const bool masked = (h.bitsPerPixel == 16 && (h.compression == kBiRgb || h.compression == kBiBitfields ||
                                                 h.compression == kBiAlphaBitfields)) ||
                      (h.bitsPerPixel == 32 && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields));
  if (h.compression != kBiRgb && !rle && !masked) {
    what = "unsupported BMP layout (" + std::to_string(h.bitsPerPixel) + " bits per pixel, compression " +
           std::to_string(h.compression) + ")";
    return false;
  }
  if (!checkDimensions(h.width, h.height, size, rle ? kRlePixelsPerByte : kPlainPixelsPerByte, what)) return false;
  if (!rle && h.bitsPerPixel != 0 && h.bitsPerPixel <= 32) {
    const uint64_t rowBytes = (static_cast<uint64_t>(h.width) * h.bitsPerPixel + 31) / 32 * 4;
    if (static_cast<uint64_t>(h.pixelOffset) + rowBytes * static_cast<uint64_t>(h.height) > size) {
      what = "truncated BMP data (the pixel rows of a " + dims(h.width, h.height) + " image need more than the file's " +
             std::to_string(size) + " bytes)";
      return false;
    }
  }
  if (masked) return decodeMasked(data, size, h, image, what);
  return decodeWithSdl(data, size, image, what);
}

void releaseBmpThreadState() {
#if !defined(__EMSCRIPTEN__)
  SDL_TLSCleanup();
#endif
}

}  // namespace cog
