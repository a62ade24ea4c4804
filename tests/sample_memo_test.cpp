// The GL sample memo: a GL it names opens its plain surface without the
// multisampled one, another GL is asked again, and the file keeps it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/sample_memo.h"
#include "platform/offscreen_gl.h"

namespace cog {
namespace {

namespace fs = std::filesystem;

TEST(SampleMemo, ARememberedGlOpensWithoutAskingAndAnotherIsAskedAgain) {
  // What this GL is, and whether it gives the game's samples exactly.
  GlSampleMemo first;
  std::string error;
  std::string key;
  {
    auto probe = OffscreenGl::create(64, 64, kGameGlSamples, error, GlProfile::Core33, &first);
    ASSERT_NE(probe, nullptr) << error;
    if (probe->samples() == kGameGlSamples) GTEST_SKIP() << "this GL gives the samples asked for exactly";
    key = currentGlContextKey();
    EXPECT_EQ(probe->windowsMade(), 2);
  }
  EXPECT_TRUE(first.learned);
  EXPECT_EQ(first.inexact, std::vector<std::string>{key});

  struct Case {
    const char* name;
    std::vector<std::string> memo;
    int windowsMade;
    bool learned;
    std::vector<std::string> after;
  };
  const std::string other = "Other / a GPU / 4.6 (Core Profile) 1.0";
  const Case cases[] = {
      {"this GL remembered", {key}, 1, false, {key}},
      {"this GL among others", {other, key}, 1, false, {other, key}},
      {"only another GL remembered", {other}, 3, true, {other, key}},
      {"no memo", {}, 2, true, {key}},
  };
  for (const Case& c : cases) {
    GlSampleMemo memo;
    memo.inexact = c.memo;
    auto surface = OffscreenGl::create(64, 64, kGameGlSamples, error, GlProfile::Core33, &memo);
    ASSERT_NE(surface, nullptr) << c.name << ": " << error;
    EXPECT_EQ(surface->samples(), 0) << c.name;
    EXPECT_EQ(surface->windowsMade(), c.windowsMade) << c.name;
    EXPECT_EQ(memo.learned, c.learned) << c.name;
    EXPECT_EQ(memo.inexact, c.after) << c.name;
  }
}

TEST(SampleMemo, TheFileKeepsItsLinesAndShrugsOffOddOnes) {
  const fs::path dir = fs::path(testing::TempDir()) / "sample_memo";
  fs::remove_all(dir);
  const std::string path = (dir / "cogstorm" / "gl-samples.txt").string();
  EXPECT_TRUE(readSampleMemo(path).inexact.empty()) << "missing file";

  // Written whole, into a folder made for it, and read back the same.
  GlSampleMemo memo;
  memo.inexact = {"Mesa / llvmpipe / 4.5 (Core Profile)", "Mesa / llvmpipe / OpenGL ES 3.2"};
  ASSERT_TRUE(writeSampleMemo(path, memo));
  EXPECT_EQ(readSampleMemo(path).inexact, memo.inexact);
  EXPECT_FALSE(fs::exists(path + ".new"));

  std::string many;
  std::vector<std::string> kept;
  for (size_t i = 0; i <= kSampleMemoLines; ++i) {
    many += "GL " + std::to_string(i) + "\n";
    if (i < kSampleMemoLines) kept.push_back("GL " + std::to_string(i));
  }
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> read;
  };
  const Case cases[] = {
      {"comments, blank lines, CRLF and no last line end", "# note\n\nA\r\nB", {"A", "B"}},
      {"a line at the length limit and one past it",
       std::string(kSampleMemoLineLength, 'x') + "\n" + std::string(kSampleMemoLineLength + 1, 'y') + "\nC\n",
       {std::string(kSampleMemoLineLength, 'x'), "C"}},
      {"one line more than kept", many, kept},
      {"a file past the size limit", std::string(kSampleMemoBytes + 1, 'z'), {}},
  };
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
    EXPECT_EQ(readSampleMemo(path).inexact, c.read) << c.name;
  }

  // A folder where the file should be: nothing read, nothing written.
  fs::remove(path);
  fs::create_directories(path);
  EXPECT_TRUE(readSampleMemo(path).inexact.empty());
  EXPECT_FALSE(writeSampleMemo(path, memo));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace cog
