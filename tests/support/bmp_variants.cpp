#include "support/bmp_variants.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace cog {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// An n-bit channel value as the nearest 8-bit value.
uint8_t widen(uint32_t v, int bits) {
  const uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>((v * 255 + max / 2) / max);
}

// The channel of `mask` an 8-bit value keeps, and what it reads back as.
uint32_t pack(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int bits = std::popcount(mask);
  const int shift = std::countr_zero(mask);
  return (static_cast<uint32_t>(value) >> (8 - std::min(bits, 8))) << shift;
}
uint8_t unpack(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 255;
  return widen((pixel & mask) >> std::countr_zero(mask), std::popcount(mask));
}

// The palette index of pixel (x, y) for `colours` colours: runs on the left,
// a mix on the right, so RLE files hold both encoded and literal runs.
int paletteIndex(int x, int y, int width, int colours) {
  if (x < width / 2) return (x / 3 + y) % colours;
  return (x * 5 + y * 3 + (x * y) % 7) % colours;
}
uint8_t paletteChannel(int index, int channel) {
  static const int mul[3] = {37, 91, 53};
  static const int add[3] = {11, 7, 200};
  return static_cast<uint8_t>((index * mul[channel] + add[channel]) & 255);
}

// The direct colour of pixel (x, y), RGBA.
void directColour(int x, int y, uint8_t rgba[4]) {
  rgba[0] = static_cast<uint8_t>(x * 19 + y * 7);
  rgba[1] = static_cast<uint8_t>(255 - x * 11 - y * 23);
  rgba[2] = static_cast<uint8_t>(x * y * 5 + 40);
  rgba[3] = static_cast<uint8_t>(x * 20 + y * 30 + 200);
}

// One row of palette indices, RLE8 or RLE4 encoded, without its line end.
void encodeRleRow(const std::vector<int>& row, bool four, std::vector<uint8_t>& out) {
  const size_t n = row.size();
  size_t x = 0;
  while (x < n) {
    size_t run = 1;
    while (x + run < n && run < 255 && row[x + run] == row[x]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(static_cast<uint8_t>(four ? (row[x] << 4) | row[x] : row[x]));
      x += run;
      continue;
    }
    // A literal stretch: up to the next run of two.
    size_t lit = 1;
    while (x + lit < n && lit < 255 && !(x + lit + 1 < n && row[x + lit] == row[x + lit + 1])) ++lit;
    if (lit < 3) {
      for (size_t i = 0; i < lit; ++i) {
        out.push_back(1);
        out.push_back(static_cast<uint8_t>(four ? row[x + i] << 4 : row[x + i]));
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(lit));
      size_t bytes = 0;
      if (four) {
        for (size_t i = 0; i < lit; i += 2) {
          const int hi = row[x + i];
          const int lo = i + 1 < lit ? row[x + i + 1] : 0;
          out.push_back(static_cast<uint8_t>((hi << 4) | lo));
          ++bytes;
        }
      } else {
        for (size_t i = 0; i < lit; ++i) out.push_back(static_cast<uint8_t>(row[x + i]));
        bytes = lit;
      }
      if (bytes % 2) out.push_back(0);
    }
    x += lit;
  }
}

}  // namespace

std::vector<BmpLayout> allBmpLayouts() {
  auto layout = [](const char* name, int header, int bpp, uint32_t compression, std::initializer_list<uint32_t> masks,
                   bool topDown) {
    BmpLayout l;
    l.name = name;
    l.headerSize = header;
    l.bitsPerPixel = bpp;
    l.compression = compression;
    int i = 0;
    for (uint32_t m : masks) l.masks[i++] = m;
    l.topDown = topDown;
    return l;
  };
  return {
      layout("1-bit palette", 40, 1, 0, {}, false),
      layout("4-bit palette", 40, 4, 0, {}, false),
      layout("8-bit palette", 40, 8, 0, {}, false),
      layout("8-bit palette, top-down", 40, 8, 0, {}, true),
      layout("8-bit palette, OS/2 header", 12, 8, 0, {}, false),
      layout("RLE4", 40, 4, 2, {}, false),
      layout("RLE8", 40, 8, 1, {}, false),
      layout("16-bit 5-5-5", 40, 16, 0, {}, false),
      layout("16-bit 5-5-5, masks", 40, 16, 3, {0x7C00, 0x03E0, 0x001F}, false),
      layout("16-bit 5-6-5, masks", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, false),
      layout("16-bit 5-6-5, masks, top-down", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, true),
      layout("16-bit 5-6-5, V3 header", 56, 16, 3, {0xF800, 0x07E0, 0x001F}, false),
      layout("16-bit 5-6-5, V4 header", 108, 16, 3, {0xF800, 0x07E0, 0x001F}, false),
      layout("16-bit 5-5-5, V5 header", 124, 16, 0, {}, false),
      layout("16-bit 1-5-5-5, V5 header", 124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}, false),
      layout("24-bit", 40, 24, 0, {}, false),
      layout("24-bit, top-down", 40, 24, 0, {}, true),
      layout("24-bit, OS/2 header", 12, 24, 0, {}, false),
      layout("24-bit, V4 header", 108, 24, 0, {}, false),
      layout("24-bit, V5 header", 124, 24, 0, {}, false),
      layout("32-bit", 40, 32, 0, {}, false),
      layout("32-bit, masks", 40, 32, 3, {0xFF0000, 0xFF00, 0xFF}, false),
      layout("32-bit ARGB, V4 header", 108, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, false),
      layout("32-bit ABGR, V5 header, top-down", 124, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000u}, true),
  };
}

BmpVariant makeBmpVariant(const BmpLayout& l, int width, int height) {
  BmpVariant v;
  v.pixels.width = width;
  v.pixels.height = height;
  v.pixels.pixels.resize(static_cast<size_t>(width) * height * 4);
  auto at = [&](int x, int y) { return &v.pixels.pixels[(static_cast<size_t>(y) * width + x) * 4]; };

  const int bpp = l.bitsPerPixel;
  const bool palette = bpp <= 8;
  const bool core = l.headerSize == 12;
  const int colours = palette ? std::min(1 << bpp, bpp == 8 ? 200 : 1 << bpp) : 0;
  const bool masksAfterHeader = l.compression == 3 && l.headerSize == 40;
  uint32_t masks[4] = {l.masks[0], l.masks[1], l.masks[2], l.masks[3]};
  if (!palette && l.compression == 0) {
    // What BI_RGB means: 5-5-5 for 16 bits, 8-8-8 otherwise; no alpha.
    if (bpp == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    masks[3] = 0;
  }

  // Headers.
  std::vector<uint8_t>& f = v.file;
  f.push_back('B');
  f.push_back('M');
  put32(f, 0);  // file size, set below
  put32(f, 0);
  put32(f, 0);  // pixel offset, set below
  put32(f, static_cast<uint32_t>(l.headerSize));
  const int32_t storedHeight = l.topDown ? -height : height;
  if (core) {
    put16(f, static_cast<uint32_t>(width));
    put16(f, static_cast<uint32_t>(height));
    put16(f, 1);
    put16(f, static_cast<uint32_t>(bpp));
  } else {
    put32(f, static_cast<uint32_t>(width));
    put32(f, static_cast<uint32_t>(storedHeight));
    put16(f, 1);
    put16(f, static_cast<uint32_t>(bpp));
    put32(f, l.compression);
    put32(f, 0);  // image size, set below
    put32(f, 2835);
    put32(f, 2835);
    put32(f, palette ? static_cast<uint32_t>(colours) : 0);
    put32(f, 0);
    if (l.headerSize >= 56)
      for (int i = 0; i < 4; ++i) put32(f, l.compression == 3 ? masks[i] : 0);
    if (l.headerSize >= 108) {
      put32(f, 0x73524742);                // 'sRGB'
      for (int i = 0; i < 12; ++i) put32(f, 0);  // end points, gamma
    }
    if (l.headerSize >= 124)
      for (int i = 0; i < 4; ++i) put32(f, i == 0 ? 4 : 0);  // intent, profile, reserved
    if (masksAfterHeader)
      for (int i = 0; i < 3; ++i) put32(f, masks[i]);
  }
  if (palette) {
    for (int i = 0; i < colours; ++i) {
      f.push_back(paletteChannel(i, 2));
      f.push_back(paletteChannel(i, 1));
      f.push_back(paletteChannel(i, 0));
      if (!core) f.push_back(0);
    }
  }
  const size_t pixelOffset = f.size();
  set32(f, 10, static_cast<uint32_t>(pixelOffset));

  // Pixels: file rows bottom up unless top-down.
  for (int r = 0; r < height; ++r) {
    const int y = l.topDown ? r : height - 1 - r;
    std::vector<int> indices(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
      uint8_t* p = at(x, y);
      if (palette) {
        const int i = paletteIndex(x, y, width, colours);
        indices[static_cast<size_t>(x)] = i;
        for (int c = 0; c < 3; ++c) p[c] = paletteChannel(i, c);
        p[3] = 255;
      } else {
        uint8_t rgba[4];
        directColour(x, y, rgba);
        uint32_t packed = 0;
        for (int c = 0; c < 4; ++c) packed |= pack(rgba[c], masks[c]);
        for (int c = 0; c < 4; ++c) p[c] = unpack(packed, masks[c]);
        if (bpp == 16) {
          put16(f, packed);
        } else {
          for (int b = 0; b < bpp / 8; ++b) f.push_back(static_cast<uint8_t>(packed >> (8 * b)));
        }
      }
    }
    if (l.compression == 1 || l.compression == 2) {
      encodeRleRow(indices, l.compression == 2, f);
      if (r + 1 < height) {
        f.push_back(0);
        f.push_back(0);
      }
      continue;
    }
    if (palette) {
      uint32_t acc = 0;
      int bits = 0;
      for (int x = 0; x < width; ++x) {
        acc = (acc << bpp) | static_cast<uint32_t>(indices[static_cast<size_t>(x)]);
        bits += bpp;
        if (bits == 8) {
          f.push_back(static_cast<uint8_t>(acc));
          acc = 0;
          bits = 0;
        }
      }
      if (bits > 0) f.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    }
    while ((f.size() - pixelOffset) % 4) f.push_back(0);
  }
  if (l.compression == 1 || l.compression == 2) {
    f.push_back(0);
    f.push_back(1);
  }
  set32(f, 2, static_cast<uint32_t>(f.size()));
  if (!core) set32(f, 34, static_cast<uint32_t>(f.size() - pixelOffset));
  return v;
}

std::vector<uint8_t> encodePng(const ImageRgba& image) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot encode a PNG");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png, image.pixels.data() + static_cast<size_t>(y) * image.width * 4);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace cog
