// Image decoding: good files of each format give the right pixels; broken
// files fail with a message that names the file and says what is wrong.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/image_file.h"

namespace cog {

namespace {

std::string fixture(const std::string& name) { return std::string(COGSTORM_TEST_DATA) + "/images/" + name; }

// The 4x3 picture held by good.bmp and good.png: pixel (x, y) is
// (60x, 100y, 255 - 50x), alpha 128 on the last row (PNG only).
void expectGoodPicture(const ImageRgba& image, bool hasAlpha) {
  ASSERT_EQ(image.width, 4);
  ASSERT_EQ(image.height, 3);
  ASSERT_EQ(image.pixels.size(), 4u * 3u * 4u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * 4 + x) * 4];
      EXPECT_EQ(p[0], x * 60) << "x " << x << " y " << y;
      EXPECT_EQ(p[1], y * 100) << "x " << x << " y " << y;
      EXPECT_EQ(p[2], 255 - x * 50) << "x " << x << " y " << y;
      EXPECT_EQ(p[3], hasAlpha && y == 2 ? 128 : 255) << "x " << x << " y " << y;
    }
}

std::string loadError(const std::string& name) {
  ImageRgba image;
  std::string error;
  EXPECT_FALSE(loadImageFile(fixture(name), image, error)) << name;
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_NE(error.find(fixture(name)), std::string::npos) << "message must name the file: " << error;
  return error;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(ImageFile, DecodesEachFormatToRgba) {
  ImageRgba image;
  std::string error;
  ASSERT_TRUE(loadImageFile(fixture("good.bmp"), image, error)) << error;
  expectGoodPicture(image, false);

  ASSERT_TRUE(loadImageFile(fixture("good.png"), image, error)) << error;
  expectGoodPicture(image, true);

  // Palette with a transparent entry: red opaque, blue clear.
  ASSERT_TRUE(loadImageFile(fixture("palette.png"), image, error)) << error;
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 2);
  const uint8_t expected[16] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 0, 255};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(image.pixels[i], expected[i]) << i;

  // JPEG is lossy: left half reddish (200, 40, 60), right half greenish (20, 180, 60).
  ASSERT_TRUE(loadImageFile(fixture("good.jpg"), image, error)) << error;
  ASSERT_EQ(image.width, 16);
  ASSERT_EQ(image.height, 8);
  const uint8_t* left = &image.pixels[(3 * 16 + 2) * 4];
  const uint8_t* right = &image.pixels[(3 * 16 + 13) * 4];
  EXPECT_NEAR(left[0], 200, 12);
  EXPECT_NEAR(left[1], 40, 12);
  EXPECT_NEAR(right[0], 20, 12);
  EXPECT_NEAR(right[1], 180, 12);
  EXPECT_EQ(left[3], 255);
}

TEST(ImageFile, FirstBytesChooseTheDecoderNotTheName) {
  ImageRgba image;
  std::string error;
  ASSERT_TRUE(loadImageFile(fixture("png_named.bmp"), image, error)) << error;
  expectGoodPicture(image, true);

  const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  const uint8_t jpg[3] = {0xFF, 0xD8, 0xFF};
  const uint8_t bmp[2] = {'B', 'M'};
  EXPECT_EQ(sniffImageFormat(png, 8), ImageFormat::Png);
  EXPECT_EQ(sniffImageFormat(png, 7), ImageFormat::Unknown);
  EXPECT_EQ(sniffImageFormat(jpg, 3), ImageFormat::Jpeg);
  EXPECT_EQ(sniffImageFormat(bmp, 2), ImageFormat::Bmp);
  EXPECT_EQ(sniffImageFormat(bmp, 1), ImageFormat::Unknown);
}

TEST(ImageFile, MissingAndUnreadableFiles) {
  EXPECT_TRUE(contains(loadError("no_such_image.bmp"), "cannot open"));
  EXPECT_TRUE(contains(loadError(""), "not a regular file"));  // the folder itself
  EXPECT_TRUE(contains(loadError("empty.bmp"), "empty"));
  EXPECT_TRUE(contains(loadError("wrong_magic.png"), "unknown image format"));
}

TEST(ImageFile, TruncatedAndCorruptData) {
  EXPECT_TRUE(contains(loadError("truncated.png"), "truncated PNG"));
  EXPECT_TRUE(contains(loadError("bad_crc.png"), "corrupt PNG"));
  EXPECT_TRUE(contains(loadError("truncated.jpg"), "truncated JPEG"));
  EXPECT_TRUE(contains(loadError("garbage.jpg"), "JPEG"));
  EXPECT_TRUE(contains(loadError("truncated.bmp"), "truncated BMP"));
}

TEST(ImageFile, AbsurdDeclaredSizesAreRefusedBeforeAllocating) {
  EXPECT_TRUE(contains(loadError("huge_side.png"), "over the limit of 16384"));
  EXPECT_TRUE(contains(loadError("huge_side.bmp"), "over the limit of 16384"));
  EXPECT_TRUE(contains(loadError("huge_area.png"), "absurd"));
  EXPECT_TRUE(contains(loadError("huge.jpg"), "absurd"));
  EXPECT_TRUE(contains(loadError("huge.bmp"), "absurd"));
}

// Every prefix of a good file fails cleanly or decodes; none crashes, hangs
// or leaks (the sanitizer build checks the last two).
TEST(ImageFile, EveryPrefixOfAGoodFileIsHandled) {
  for (const char* name : {"good.png", "good.jpg", "good.bmp", "palette.png"}) {
    std::ifstream in(fixture(name), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty()) << name;
    for (size_t n = 0; n < bytes.size(); ++n) {
      ImageRgba image;
      std::string error;
      const bool ok = decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), n, "cut", image, error);
      if (!ok) {
        EXPECT_EQ(error.rfind("cut: ", 0), 0u) << name << " cut at " << n << ": " << error;
        EXPECT_TRUE(image.pixels.empty());
      }
    }
    // Each byte flipped in turn: never a crash.
    std::string flipped = bytes;
    for (size_t i = 0; i < flipped.size(); ++i) {
      flipped[i] = static_cast<char>(flipped[i] ^ 0xA5);
      ImageRgba image;
      std::string error;
      decodeImage(reinterpret_cast<const uint8_t*>(flipped.data()), flipped.size(), "flip", image, error);
      flipped[i] = bytes[i];
    }
  }
}

}  // namespace cog
