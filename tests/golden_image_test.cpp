// Pictures of whole game frames drawn by the OpenGL device on an offscreen
// Mesa surface, 128 x 128, against checked-in golden images. A frame
// matches when no more than a few pixels differ by more than a small
// amount; otherwise the frame and a difference picture are written beside
// the test's temporary folder and named in the failure. Set
// COGSTORM_UPDATE_GOLDEN=1 to write the goldens anew (then look at them).

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/keys.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "level/model.h"
#include "platform/image_file.h"
#include "render/gl/gl_device.h"
#include "sim/state.h"
#include "support/arena.h"
#include "support/gl_context.h"
#include "support/level_files.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

constexpr int kSide = 128;
constexpr int kChannelTolerance = 12;    // per colour channel, of 255
constexpr double kPixelsAllowed = 0.01;  // share of pixels that may differ

using Rgba = std::vector<uint8_t>;

struct Region {
  int x0, y0, x1, y1;  // [x0, x1) x [y0, y1), from the top left
};

size_t distinctColours(const Rgba& img, Region r) {
  std::set<uint32_t> seen;
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      const uint8_t* p = &img[(static_cast<size_t>(y) * kSide + x) * 4];
      seen.insert((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
    }
  return seen.size();
}

// One picture: a level folder, what happens before the frame, and what
// the frame itself must show besides matching its golden.
struct Shot {
  const char* name;
  bool plainPane;  // the arena's mirror pane as an ordinary room record
  Vec3 position;
  float heading;
  std::function<void(Game&)> setUp;  // after the start, before the ticks
  std::function<void(const Rgba&)> check;
};

void PrintTo(const Shot& shot, std::ostream* out) { *out << shot.name; }

// The arena copied into `folder`, with its pane record turned into an
// ordinary room record when asked.
void copyArena(const fs::path& folder, bool plainPane) {
  fs::copy(arenaFolder(), folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (!plainPane) return;
  const fs::path dat = folder / "dat.txt";
  std::string text = readTextFile(dat);
  // The pane's lead "1 0" (marker, unused integer) becomes "0": a plain record.
  const size_t at = text.find("\n1 0 0 1 1 4 2\n");
  ASSERT_NE(at, std::string::npos) << "the arena's pane record has changed";
  text.replace(at, 15, "\n0 0 1 1 4 2\n");
  std::ofstream(dat, std::ios::binary) << text;
}

Rgba drawShot(GlTestContext& context, const Shot& shot, const fs::path& folder, std::string& error) {
  copyArena(folder, shot.plainPane);
  ScopedChdir inLevel(folder);
  GlDevice dev([&context] { context.swap(); });
  if (!dev.usable()) {
    error = dev.problem();
    return {};
  }
  SilentAudioEngine engine;
  Rgba frame;
  Game game;
  if (Status started = game.start(dev, engine); started.ok()) {
    game.shell.robotsFrozen = 1;
    if (shot.setUp) shot.setUp(game);
    for (int i = 0; i < 2; ++i) GameTick(game);
    game.sim.player.position = shot.position;
    game.sim.player.heading = shot.heading;
    GameTick(game);
    frame = context.readPixels();
  } else {
    error = started.message();
  }
  game.shutdown();
  return frame;
}

// Pixels whose largest channel difference is beyond the tolerance: the
// count, and a picture of them (red over the darkened frame).
size_t differingPixels(const Rgba& got, const Rgba& want, Rgba& diff) {
  size_t n = 0;
  diff.assign(got.size(), 255);
  for (size_t i = 0; i < got.size(); i += 4) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(got[i + c]) - int(want[i + c])));
    const bool differs = worst > kChannelTolerance;
    n += differs ? 1 : 0;
    for (int c = 0; c < 3; ++c) diff[i + c] = differs ? (c == 0 ? 255 : 0) : static_cast<uint8_t>(got[i + c] / 4);
  }
  return n;
}

class GoldenImage : public ::testing::TestWithParam<Shot> {
 protected:
  static void SetUpTestSuite() {
    context = new GlTestContext;
    if (!context->create(contextError, kSide)) {
      delete context;
      context = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete context;
    context = nullptr;
  }
  static GlTestContext* context;
  static std::string contextError;
};

GlTestContext* GoldenImage::context = nullptr;
std::string GoldenImage::contextError;

TEST_P(GoldenImage, FrameMatchesItsGolden) {
  ASSERT_NE(context, nullptr) << "no offscreen GL surface: " << contextError;
  const Shot& shot = GetParam();
  TempDir scratch;
  std::string error;
  const Rgba frame = drawShot(*context, shot, scratch.path() / "level", error);
  ASSERT_EQ(frame.size(), size_t{kSide} * kSide * 4) << error;
  if (shot.check) shot.check(frame);

  const std::string golden = std::string(COGSTORM_TEST_DATA) + "/golden/" + shot.name + ".png";
  const char* update = std::getenv("COGSTORM_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(writePng(golden, kSide, kSide, frame, error)) << error;
    GTEST_SKIP() << "wrote " << golden;
  }
  ImageRgba want;
  ASSERT_TRUE(loadImageFile(golden, want, error)) << error;
  ASSERT_EQ(want.width, kSide);
  ASSERT_EQ(want.height, kSide);
  Rgba diff;
  const size_t differing = differingPixels(frame, want.pixels, diff);
  if (differing > kPixelsAllowed * kSide * kSide) {
    const fs::path out = fs::temp_directory_path() / (std::string("cogstorm-golden-") + shot.name);
    writePng(out.string() + "-actual.png", kSide, kSide, frame, error);
    writePng(out.string() + "-diff.png", kSide, kSide, diff, error);
    ADD_FAILURE() << differing << " pixels differ from " << golden << " by more than " << kChannelTolerance
                  << "; see " << out.string() << "-actual.png and -diff.png";
  }
}


INSTANTIATE_TEST_SUITE_P(
    Frames, GoldenImage,
    ::testing::Values(
        // Facing the mirror on the left wall at a slant, robot 0 standing
        // where only the mirror shows it: the pane as an ordinary room
        // record (drawn, its depth written) still shows the reflection,
        // inside the pane only, as the marker pane does.
        Shot{"mirror_plain_pane", true, Vec3(600.0f, 0.0f, 350.0f), -70.0f,
             [](Game& game) { game.actors.robots[0].SetPosition(300.0f, 0.0f, 743.0f); }, nullptr},
        Shot{"mirror_marker_pane", false, Vec3(600.0f, 0.0f, 350.0f), -70.0f,
             [](Game& game) { game.actors.robots[0].SetPosition(300.0f, 0.0f, 743.0f); }, nullptr},
        Shot{"close_wall_texels", false, Vec3(600.0f, 0.0f, -60.0f), 180.0f, nullptr,
             [](const Rgba& frame) {
               // Point sampling: a wall filling the view close up shows a
               // few flat texels, not a blend of every shade between them.
               EXPECT_LT(distinctColours(frame, {32, 32, 96, 96}), 40u);
             }},
        // From the far room towards the near one: the robot shows through
        // the wall in front of it.
        Shot{"xray", false, Vec3(600.0f, 0.0f, 1250.0f), 180.0f, [](Game& game) { HandleKeyDown(game, kKeyXray); }, nullptr}),
    [](const ::testing::TestParamInfo<Shot>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace cog
