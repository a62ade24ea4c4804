// Images decoded ahead: each listed file handed over once, exactly as
// loadImageFile reads it, in any order the load asks; the rest left to the
// caller; a worker that is never asked stops when the prefetch goes.

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/image_file.h"
#include "platform/image_prefetch.h"

namespace cog {
namespace {

const std::string kImages = COGSTORM_TEST_DATA "/images/";

TEST(ImagePrefetch, HandsOverWhatLoadImageFileReadsOnceEach) {
  const std::vector<std::string> listed{kImages + "good.png", kImages + "good.jpg", kImages + "good.png",
                                        kImages + "bad_crc.png", kImages + "good.bmp", kImages + "missing.png"};
  struct Take {
    std::string path;
    bool prefetched;  // false: the caller must read it itself
  };
  // In the list's order, out of it, twice, and not listed at all.
  const std::vector<Take> takes{
      {kImages + "good.bmp", true},     {kImages + "good.png", true},  {kImages + "good.png", false},
      {kImages + "bad_crc.png", true},  {kImages + "empty.bmp", false}, {kImages + "missing.png", true},
      {kImages + "good.jpg", true},
  };
  // One image's pixels at most ahead (each waits to be asked for), and all.
  for (const size_t ahead : {size_t{1}, size_t{64} << 20}) {
    ImagePrefetch prefetch([&] { return listed; }, ahead);
    size_t handed = 0;
    for (const Take& t : takes) {
      ImageRgba got, want;
      std::string gotError, wantError;
      const std::optional<bool> ok = prefetch.take(t.path, got, gotError);
      ASSERT_EQ(ok.has_value(), t.prefetched) << t.path << " ahead " << ahead;
      if (!ok) continue;
      ++handed;
      EXPECT_EQ(*ok, loadImageFile(t.path, want, wantError)) << t.path;
      EXPECT_EQ(gotError, wantError) << t.path;
      EXPECT_EQ(got.width, want.width) << t.path;
      EXPECT_EQ(got.height, want.height) << t.path;
      EXPECT_EQ(got.pixels, want.pixels) << t.path;
    }
    EXPECT_EQ(prefetch.taken(), handed);
  }
}

TEST(ImagePrefetch, AWorkerNeverAskedOrWithoutAListStopsWithThePrefetch) {
  const std::vector<std::string> many(500, kImages + "good.png");
  std::vector<std::string> distinct;
  std::string dots;  // "images/./good.png", "images/././good.png": one file, names apart
  for (int i = 0; i < 200; ++i) distinct.push_back(kImages + (dots += "./") + "good.png");
  const ImagePrefetch::Names lists[] = {
      [&] { return distinct; },  // waits, one image ahead, for a take that never comes
      [&] { return many; },      // one name, many times
      []() -> std::vector<std::string> { throw std::runtime_error("no list"); },
      nullptr,
  };
  for (const ImagePrefetch::Names& names : lists) {
    ImagePrefetch prefetch(names, 1);
    ImageRgba image;
    std::string error;
    const std::optional<bool> ok = prefetch.take(kImages + "good.jpg", image, error);
    EXPECT_FALSE(ok.has_value());
  }
}

}  // namespace
}  // namespace cog
