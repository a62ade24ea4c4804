// What one level may make in all: every limit is refused with a message
// naming the file, the line and the limit, before the memory is taken; the
// smallest levels the format allows still load.

#include <gtest/gtest.h>

#include <string>

#include "level/level_budget.h"
#include "level/level_data.h"
#include "level/model.h"
#include "support/level_files.h"
#include "support/test_game.h"

namespace cog {

namespace {

// `n` copies of `unit`.
std::string repeat(const std::string& unit, size_t n) {
  std::string s;
  s.reserve(unit.size() * n);
  for (size_t i = 0; i < n; ++i) s += unit;
  return s;
}

// A list-form record of `quads` quads, all vertices at the origin.
std::string quadRecord(int32_t quads) { return "-1 0 0 0 0 -" + std::to_string(quads) + "\n" + repeat("0 0 0 0 0\n", 4 * static_cast<size_t>(quads)); }

// A one-part model file whose mesh is `quads` quads.
std::string modelOf(int32_t quads) { return "1\n(0, 0, 0)\n(1, 0, 0, 0)\n" + quadRecord(quads) + "0\n0\n"; }

// Textures whose names start with "big" are 4096 x 4096.
class BigTextureDevice : public TestDevice {
 public:
  class Big : public Texture {
   public:
    uint32_t id() const override { return 1; }
    int width() const override { return 4096; }
    int height() const override { return 4096; }
  };
  std::unique_ptr<Texture> CreateTextureFromFile(const std::string& fileName, std::string& error) override {
    if (fileName.rfind("big", 0) == 0) return std::make_unique<Big>();
    return TestDevice::CreateTextureFromFile(fileName, error);
  }
};

}  // namespace

TEST(LevelBudget, OverALimitIsRefusedNamingTheFileAndTheLimit) {
  // Each robot's copy of the model counts: a seventh of the vertices is fine
  // once and too much seven times.
  const int32_t robotQuads = static_cast<int32_t>(kMaxLevelVertices / 6 / 7) + 1;
  struct Case {
    const char* what;
    const char* file;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"vertices of one prop", "objects.txt",
       "1\n-1 0 0 0 0 -" + std::to_string(kMaxLevelVertices / 6 + 1) + "\n" +
           repeat("0 ", 20 * static_cast<size_t>(kMaxLevelVertices / 6 + 1)),
       "objects.txt:2: the level would make more than 2000000 vertices in all, the limit for one level"},
      {"the seven robots' copies", "enin.txt", modelOf(robotQuads),
       "enin.txt:1: the level would make more than 2000000 vertices in all, the limit for one level (each of the "
       "seven robots has its own copy of the model)"},
      {"texture names", "Lbank.txt", "16385\n" + repeat("light0.bmp\n", 16385),
       "Lbank.txt:1: the level would make more than 16384 light-map and texture names in all, the limit for one "
       "level"},
      {"materials", "dat.txt", "1 stone.bmp 65537\n" + repeat("1 1 1 1 1 1 1 1 1 1 1 1\n", 65537),
       "dat.txt:1: the level would make more than 65536 materials in all, the limit for one level"},
      {"records", "objects.txt", "262145\n" + repeat("0 0 0 0 0 0\n", 262145),
       "objects.txt:262143: the level would make more than 262144 mesh records in all, the limit for one level"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LevelText text = workedLevel();
    *text.file(c.file) = c.text;
    TestGame t;
    const Status loaded = loadLevelText(t.game, text);
    EXPECT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.message(), c.message);
  }

  // Just inside the robots' share loads.
  LevelText text = workedLevel();
  text.enin = modelOf(robotQuads - 2);
  TestGame t;
  const Status loaded = loadLevelText(t.game, text);
  EXPECT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.actors.robots[6].model->mesh.vertices.size(), 6u * static_cast<size_t>(robotQuads - 2));
}

TEST(LevelBudget, ImagePixelsOfDistinctImagesCount) {
  // Every image is the largest one picture may be; a name given again is the
  // same image and costs nothing more.
  BigTextureDevice dev;  // outlives the game, which frees what was made with it
  TestGame t;
  t.game.device = &dev;
  LevelText text = workedLevel();
  text.lbank = "5 big0 big1 big2 big0 big1\n";
  const Status loaded = loadLevelText(t.game, text);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.level.lightMaps[1].get(), t.level.lightMaps[4].get());
  text.lbank = "5 big0 big1 big2 big3 big4\n";
  const Status refused = loadLevelText(t.game, text);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.message(), "Lbank.txt:1: the level would make more than 67108864 image pixels in all, the limit for one level");
}

TEST(LevelBudget, SmallestLevelsTheFormatAllowsLoad) {
  // The worked example: one texture; and no light maps at all.
  LevelText text = readLevelFolder(testDataDir() / "worked");
  text.lbank = "0\n";
  TestGame t;
  const Status loaded = loadLevelText(t.game, text);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.level.levelTextures.size(), 1u);
  EXPECT_TRUE(t.level.lightMaps.empty());
}

}  // namespace cog
