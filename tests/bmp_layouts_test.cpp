// BMP files in every layout image editors write load, and hold exactly the
// pixels of their PNG twin; RLE data that runs off its picture is refused.

#include <gtest/gtest.h>

#include <string>

#include "platform/image_file.h"
#include "support/bmp_variants.h"

namespace cog {

namespace {

// Decodes `bytes`, failing the test with the decoder's message.
ImageRgba decode(const std::vector<uint8_t>& bytes, const std::string& name) {
  ImageRgba image;
  std::string error;
  EXPECT_TRUE(decodeImage(bytes.data(), bytes.size(), name, image, error)) << error;
  return image;
}

// The first differing pixel, or "" when the two match.
std::string firstDifference(const ImageRgba& a, const ImageRgba& b) {
  if (a.width != b.width || a.height != b.height)
    return "size " + std::to_string(a.width) + "x" + std::to_string(a.height) + " vs " + std::to_string(b.width) +
           "x" + std::to_string(b.height);
  for (size_t i = 0; i < a.pixels.size(); ++i)
    if (a.pixels[i] != b.pixels[i]) {
      const size_t px = i / 4;
      return "pixel (" + std::to_string(px % a.width) + ", " + std::to_string(px / a.width) + ") channel " +
             std::to_string(i % 4) + ": " + std::to_string(a.pixels[i]) + " vs " + std::to_string(b.pixels[i]);
    }
  return "";
}

}  // namespace

TEST(BmpLayouts, EachLoadsAndMatchesItsPngTwin) {
  for (const BmpLayout& layout : allBmpLayouts()) {
    for (const auto& [w, h] : {std::pair{13, 7}, std::pair{1, 1}}) {
      SCOPED_TRACE(layout.name + " " + std::to_string(w) + "x" + std::to_string(h));
      const BmpVariant bmp = makeBmpVariant(layout, w, h);
      const ImageRgba fromPng = decode(encodePng(bmp.pixels), "twin.png");
      ASSERT_EQ(firstDifference(fromPng, bmp.pixels), "");
      EXPECT_EQ(firstDifference(decode(bmp.file, "variant.bmp"), fromPng), "");
    }
  }
}

// Runs and deltas that leave the picture are clipped, as Windows draws them;
// data that ends before its end marker is refused.
TEST(BmpLayouts, RleOffThePictureIsClippedAndCutShortIsRefused) {
  BmpLayout rle8;
  rle8.bitsPerPixel = 8;
  rle8.compression = 1;
  const std::vector<uint8_t> good = makeBmpVariant(rle8, 13, 7).file;
  const size_t pixels = good[10] | (good[11] << 8);

  struct Case {
    const char* what;
    std::vector<uint8_t> tail;  // replaces the pixel data
    const char* message;        // null: loads
  };
  const Case cases[] = {
      {"run past the row", {200, 1, 0, 1}, nullptr},
      {"literal past the row", {0, 20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0, 1},
       nullptr},
      {"delta past the picture", {0, 2, 1, 30, 0, 1}, nullptr},
      {"data ends before the end marker", {3, 1, 3, 1}, "corrupt BMP"},
      {"literal cut short", {0, 9, 1, 2}, "corrupt BMP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bad(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(pixels));
    bad.insert(bad.end(), c.tail.begin(), c.tail.end());
    ImageRgba image;
    std::string error;
    const bool ok = decodeImage(bad.data(), bad.size(), "bad.bmp", image, error);
    if (c.message == nullptr) {
      EXPECT_TRUE(ok) << error;
      EXPECT_EQ(image.width, 13);
      continue;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(error.rfind("bad.bmp: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
  }
}

}  // namespace cog
