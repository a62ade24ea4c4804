#include "tools/levelc/image.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace cog {

void Image::set(int x, int y, float r, float g, float b) {
  uint8_t* p = at(x, y);
  const float c[3] = {r, g, b};
  for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(std::clamp(c[i], 0.0f, 1.0f) * 255.0f + 0.5f);
}

namespace {

void put16(std::string& s, uint32_t v) { s += static_cast<char>(v & 255), s += static_cast<char>((v >> 8) & 255); }
void put32(std::string& s, uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

}  // namespace

bool writeBmp(const std::string& path, const Image& image, std::string& error) {
  const uint32_t row = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = row * static_cast<uint32_t>(image.height);
  std::string out;
  out.reserve(54 + dataSize);
  out += "BM";
  put32(out, 54 + dataSize), put32(out, 0), put32(out, 54);
  put32(out, 40), put32(out, static_cast<uint32_t>(image.width)), put32(out, static_cast<uint32_t>(image.height));
  put16(out, 1), put16(out, 24), put32(out, 0), put32(out, dataSize), put32(out, 2835), put32(out, 2835);
  put32(out, 0), put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.at(x, y);
      out += static_cast<char>(p[2]), out += static_cast<char>(p[1]), out += static_cast<char>(p[0]);
    }
    out.append(row - static_cast<uint32_t>(image.width) * 3, '\0');
  }
  std::ofstream f(path, std::ios::binary);
  if (!f.write(out.data(), static_cast<std::streamsize>(out.size()))) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}

bool writePng(const std::string& path, const Image& image, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr)) {
    error = path + ": cannot be written (" + png.message + ")";
    png_image_free(&png);
    return false;
  }
  return true;
}

}  // namespace cog
