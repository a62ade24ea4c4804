// Pictures drawn by both GL devices from one table of cases: whole game
// frames on the arena level and small scenes drawn straight through the
// device (lit glass under each light setting, every stage combination the
// game uses), 128 x 128 on offscreen Mesa surfaces (a compatibility context
// for the fixed-function device, a GL 3.3 core one for the shader device),
// against one checked-in golden image per case. A frame matches when no
// more than a few pixels differ by more than a small amount; otherwise the
// frame and a difference picture are written beside the test's temporary
// folder and named in the failure. Set COGSTORM_UPDATE_GOLDEN=1 to write
// the goldens anew from the fixed-function device (then look at them).

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
#include "render/shader/shader_device.h"
#include "platform/png_write.h"
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
  // A scene drawn straight through the device instead of a game frame;
  // `folder` holds the arena's images.
  std::function<void(RenderDevice&, const fs::path& folder)> scene;
};

enum class DeviceKind { FixedFunction, Shader };

struct Case {
  Shot shot;
  DeviceKind device;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.shot.name << (c.device == DeviceKind::Shader ? " (shader)" : " (fixed function)");
}

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

Rgba drawShot(GlTestContext& context, const Case& c, const fs::path& folder, std::string& error) {
  const Shot& shot = c.shot;
  copyArena(folder, shot.plainPane);
  ScopedChdir inLevel(folder);
  std::unique_ptr<RenderDevice> dev;
  std::string problem;
  if (c.device == DeviceKind::Shader) {
    auto shader = std::make_unique<ShaderDevice>(GlDialect::Gl33Core, glProcAddress, [&context] { context.swap(); });
    problem = shader->problem();
    dev = std::move(shader);
  } else {
    auto gl = std::make_unique<GlDevice>([&context] { context.swap(); });
    problem = gl->problem();
    dev = std::move(gl);
  }
  if (!problem.empty()) {
    error = problem;
    return {};
  }
  if (shot.scene) {
    shot.scene(*dev, folder);
    return context.readPixels();
  }
  SilentAudioEngine engine;
  Rgba frame;
  Game game;
  if (Status started = game.start(*dev, engine); started.ok()) {
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

class GoldenImage : public ::testing::TestWithParam<Case> {
 protected:
  static void TearDownTestSuite() { contexts[0].reset(), contexts[1].reset(); }
  // The surface for a device, made on first use and kept for the suite.
  static GlTestContext* contextFor(DeviceKind kind, std::string& error) {
    const int i = kind == DeviceKind::Shader ? 1 : 0;
    if (!contexts[i]) {
      contexts[1 - i].reset();  // one current context at a time
      auto made = std::make_unique<GlTestContext>();
      if (!made->create(error, kSide, kind == DeviceKind::Shader ? GlProfile::Core33 : GlProfile::Compatibility))
        return nullptr;
      contexts[i] = std::move(made);
    }
    return contexts[i].get();
  }
  static std::unique_ptr<GlTestContext> contexts[2];
};

std::unique_ptr<GlTestContext> GoldenImage::contexts[2];

TEST_P(GoldenImage, FrameMatchesItsGolden) {
  const Case& c = GetParam();
  const Shot& shot = c.shot;
  std::string error;
  GlTestContext* context = contextFor(c.device, error);
  ASSERT_NE(context, nullptr) << "no offscreen GL surface: " << error;
  TempDir scratch;
  const Rgba frame = drawShot(*context, c, scratch.path() / "level", error);
  ASSERT_EQ(frame.size(), size_t{kSide} * kSide * 4) << error;
  if (shot.check) shot.check(frame);

  const std::string golden = std::string(COGSTORM_TEST_DATA) + "/golden/" + shot.name + ".png";
  const char* update = std::getenv("COGSTORM_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1" && c.device == DeviceKind::FixedFunction) {
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
    const fs::path out = fs::temp_directory_path() / (std::string("cogstorm-golden-") + shot.name +
                                                      (c.device == DeviceKind::Shader ? "-shader" : ""));
    writePng(out.string() + "-actual.png", kSide, kSide, frame, error);
    writePng(out.string() + "-diff.png", kSide, kSide, diff, error);
    ADD_FAILURE() << differing << " pixels differ from " << golden << " by more than " << kChannelTolerance
                  << "; see " << out.string() << "-actual.png and -diff.png";
  }
}


// Scenes drawn straight through the device: an identity view and
// projection, so x and y are the picture's -1..1 and z its 0..1 depth.
struct SceneVertex {
  float x, y, z, nx, ny, nz, u0, v0, u1, v1;
};

std::vector<SceneVertex> cell(float x0, float y0, float x1, float y1, float z) {
  return {{x0, y0, z, 0, 0, -1, 0, 2, 0, 1}, {x0, y1, z, 0, 0, -1, 0, 0, 0, 0},
          {x1, y0, z, 0, 0, -1, 2, 2, 1, 1}, {x1, y1, z, 0, 0, -1, 2, 0, 1, 0}};
}

class SceneDrawer {
 public:
  SceneDrawer(RenderDevice& dev, const fs::path& folder) : dev_(dev), folder_(folder) {
    dev_.SetTransform(TransformKind::Projection, Matrix4::identity());
    dev_.SetRenderState(RenderState::Ambient, 0xFF404040u);
    dev_.Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF203040u, 1.0f, 0);
  }
  const Texture* texture(const char* name) {
    std::string error;
    textures_.push_back(dev_.CreateTextureFromFile((folder_ / name).string(), error));
    EXPECT_NE(textures_.back(), nullptr) << error;
    return textures_.back().get();
  }
  void draw(float x0, float y0, float x1, float y1, float z = 0.5f) {
    const std::vector<SceneVertex> v = cell(x0, y0, x1, y1, z);
    std::string error;
    buffers_.push_back(
        dev_.CreateVertexBuffer(v.data(), static_cast<uint32_t>(v.size() * sizeof(SceneVertex)), kMeshFvf, error));
    dev_.SetStreamSource(0, buffers_.back().get(), kMeshVertexStride);
    dev_.SetVertexShader(kMeshFvf);
    dev_.DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
  }
  void stage(uint32_t s, TextureOp colorOp, TextureArg colorArg1, TextureOp alphaOp, TextureArg alphaArg1,
             TextureArg colorArg2 = TextureArg::Current) {
    dev_.SetTextureStageState(s, TextureStageState::ColorOp, colorOp);
    dev_.SetTextureStageState(s, TextureStageState::ColorArg1, colorArg1);
    dev_.SetTextureStageState(s, TextureStageState::ColorArg2, colorArg2);
    dev_.SetTextureStageState(s, TextureStageState::AlphaOp, alphaOp);
    dev_.SetTextureStageState(s, TextureStageState::AlphaArg1, alphaArg1);
  }
  void blend(Blend src, Blend dest) {
    dev_.SetRenderState(RenderState::AlphaBlendEnable, true);
    dev_.SetRenderState(RenderState::SrcBlend, src);
    dev_.SetRenderState(RenderState::DestBlend, dest);
  }
  RenderDevice& dev() { return dev_; }

 private:
  RenderDevice& dev_;
  fs::path folder_;
  std::vector<std::unique_ptr<Texture>> textures_;
  std::vector<std::unique_ptr<VertexBuffer>> buffers_;
};

Light pointLight(Vec3 at, float range, float att0, float att1, ColorValue colour = {1.0f, 1.0f, 1.0f, 0.0f}) {
  Light l;
  l.type = LightType::Point;
  l.diffuse = colour;
  l.position = at;
  l.range = range;
  l.attenuation0 = att0;
  l.attenuation1 = att1;
  return l;
}

// The stage set-ups the game draws with, one per cell: a room (texture,
// light map modulated on stage 1), an object (stage 1 off), the reflected
// pass's light-map overlay blended over it, the glass (the lit diffuse over
// a light map), the device's defaults (texture times diffuse), and the
// mirror's stencil mark (colour left alone).
void drawStages(RenderDevice& dev, const fs::path& folder) {
  SceneDrawer d(dev, folder);
  const Texture* wall = d.texture("wall.bmp");
  const Texture* light = d.texture("lightdim.bmp");
  const Texture* metal = d.texture("metal.bmp");
  Material m;
  m.diffuse = ColorValue{0.2f, 0.9f, 0.4f, 0.6f};
  m.ambient = ColorValue{0.5f, 0.5f, 0.5f, 1.0f};
  dev.SetMaterial(m);
  dev.SetLight(0, pointLight(Vec3(0.0f, 0.0f, -1.0f), 1000.0f, 1.0f, 0.0f));
  dev.LightEnable(0, true);
  dev.SetRenderState(RenderState::Lighting, true);
  // Device defaults: stage 0 modulates the texture with the lit diffuse.
  dev.SetTexture(0, metal);
  d.draw(-1.0f, 0.34f, -0.34f, 1.0f);
  // A room.
  d.blend(Blend::One, Blend::Zero);
  d.stage(0, TextureOp::SelectArg1, TextureArg::Texture, TextureOp::SelectArg1, TextureArg::Texture);
  d.stage(1, TextureOp::Modulate, TextureArg::Texture, TextureOp::Disable, TextureArg::Texture);
  dev.SetTexture(0, wall);
  dev.SetTexture(1, light);
  d.draw(-0.34f, 0.34f, 0.34f, 1.0f);
  // An object: no light map.
  d.stage(1, TextureOp::Disable, TextureArg::Texture, TextureOp::Disable, TextureArg::Texture);
  d.draw(0.34f, 0.34f, 1.0f, 1.0f);
  // The overlay over a room.
  d.stage(1, TextureOp::Modulate, TextureArg::Texture, TextureOp::Disable, TextureArg::Texture);
  d.draw(-1.0f, -0.34f, -0.34f, 0.34f);
  d.blend(Blend::InvSrcColor, Blend::SrcColor);
  dev.SetTexture(0, light);
  d.draw(-1.0f, -0.34f, -0.34f, 0.34f, 0.4f);
  // The glass over a room.
  d.blend(Blend::One, Blend::Zero);
  dev.SetTexture(0, wall);
  d.draw(-0.34f, -0.34f, 0.34f, 0.34f);
  d.blend(Blend::SrcAlpha, Blend::InvSrcAlpha);
  d.stage(0, TextureOp::SelectArg1, TextureArg::Diffuse, TextureOp::SelectArg1, TextureArg::Diffuse);
  dev.SetTexture(0, nullptr);
  d.draw(-0.34f, -0.34f, 0.34f, 0.34f, 0.4f);
  // The stencil mark over a room: blend ZERO, ONE keeps the colour.
  d.stage(0, TextureOp::SelectArg1, TextureArg::Texture, TextureOp::SelectArg1, TextureArg::Texture);
  d.blend(Blend::One, Blend::Zero);
  dev.SetTexture(0, wall);
  d.draw(0.34f, -0.34f, 1.0f, 0.34f);
  d.blend(Blend::Zero, Blend::One);
  dev.SetTexture(0, nullptr);
  d.draw(0.34f, -0.34f, 1.0f, 0.34f, 0.4f);
  dev.EndScene();
}

// The glass (lit diffuse, alpha 0.5, over a wall) under each light
// setting, one per cell: a near light, an attenuated one, one whose range
// ends short of the pane, lighting off, and two coloured lights.
void drawGlassLights(RenderDevice& dev, const fs::path& folder) {
  SceneDrawer d(dev, folder);
  const Texture* wall = d.texture("wall.bmp");
  Material m;
  m.diffuse = ColorValue{0.6f, 0.7f, 0.9f, 0.5f};
  m.ambient = ColorValue{0.6f, 0.7f, 0.9f, 1.0f};
  dev.SetMaterial(m);
  struct Setting {
    float x0, y0;
    bool lighting;
    Light lights[2];
    int count;
  };
  const Setting settings[] = {
      {-1.0f, 0.0f, true, {pointLight(Vec3(-0.5f, 0.5f, -0.5f), 1000.0f, 1.0f, 0.0f)}, 1},
      {0.0f, 0.0f, true, {pointLight(Vec3(0.5f, 0.5f, -0.5f), 1000.0f, 0.2f, 1.5f)}, 1},
      {-1.0f, -1.0f, true, {pointLight(Vec3(-0.5f, -0.5f, -2.0f), 1.0f, 1.0f, 0.0f)}, 1},
      {0.0f, -1.0f, false, {}, 0},
  };
  for (const Setting& s : settings) {
    d.blend(Blend::One, Blend::Zero);
    d.stage(0, TextureOp::SelectArg1, TextureArg::Texture, TextureOp::SelectArg1, TextureArg::Texture);
    d.stage(1, TextureOp::Disable, TextureArg::Texture, TextureOp::Disable, TextureArg::Texture);
    dev.SetTexture(0, wall);
    d.draw(s.x0, s.y0, s.x0 + 1.0f, s.y0 + 1.0f);
    dev.SetRenderState(RenderState::Lighting, s.lighting ? true : false);
    for (uint32_t i = 0; i < 2; ++i) {
      if (static_cast<int>(i) < s.count) dev.SetLight(i, s.lights[i]);
      dev.LightEnable(i, static_cast<int>(i) < s.count);
    }
    d.blend(Blend::SrcAlpha, Blend::InvSrcAlpha);
    d.stage(0, TextureOp::SelectArg1, TextureArg::Diffuse, TextureOp::SelectArg1, TextureArg::Diffuse);
    dev.SetTexture(0, nullptr);
    d.draw(s.x0 + 0.1f, s.y0 + 0.1f, s.x0 + 0.9f, s.y0 + 0.9f, 0.4f);
  }
  // Two coloured lights on one pane across the middle.
  dev.SetRenderState(RenderState::Lighting, true);
  dev.SetLight(0, pointLight(Vec3(-0.6f, 0.0f, -0.3f), 1000.0f, 1.0f, 0.0f, {1.0f, 0.2f, 0.2f, 0.0f}));
  dev.SetLight(1, pointLight(Vec3(0.6f, 0.0f, -0.3f), 1000.0f, 1.0f, 0.0f, {0.2f, 0.2f, 1.0f, 0.0f}));
  dev.LightEnable(0, true);
  dev.LightEnable(1, true);
  d.draw(-0.8f, -0.15f, 0.8f, 0.15f, 0.3f);
  dev.EndScene();
}

const Shot kShots[] = {
    // Facing the mirror on the left wall at a slant, robot 0 standing
    // where only the mirror shows it: the pane as an ordinary room
    // record (drawn, its depth written) still shows the reflection,
    // inside the pane only, as the marker pane does.
    Shot{"mirror_plain_pane", true, Vec3(600.0f, 0.0f, 350.0f), -70.0f,
         [](Game& game) { game.actors.robots[0].SetPosition(300.0f, 0.0f, 743.0f); }, nullptr, nullptr},
    Shot{"mirror_marker_pane", false, Vec3(600.0f, 0.0f, 350.0f), -70.0f,
         [](Game& game) { game.actors.robots[0].SetPosition(300.0f, 0.0f, 743.0f); }, nullptr, nullptr},
    Shot{"close_wall_texels", false, Vec3(600.0f, 0.0f, -60.0f), 180.0f, nullptr,
         [](const Rgba& frame) {
           // Point sampling: a wall filling the view close up shows a
           // few flat texels, not a blend of every shade between them.
           EXPECT_LT(distinctColours(frame, {32, 32, 96, 96}), 40u);
         },
         nullptr},
    // From the far room towards the near one: the robot shows through
    // the wall in front of it.
    Shot{"xray", false, Vec3(600.0f, 0.0f, 1250.0f), 180.0f, [](Game& game) { HandleKeyDown(game, kKeyXray); },
         nullptr, nullptr},
    // Robot 1 between the player and the mirror: it hides the reflection
    // where it stands nearer than the pane.
    Shot{"object_before_mirror", false, Vec3(600.0f, 0.0f, 350.0f), -70.0f,
         [](Game& game) {
           game.actors.robots[0].SetPosition(300.0f, 0.0f, 743.0f);
           game.actors.robots[1].SetPosition(0.0f, 0.0f, 545.0f);
         },
         nullptr, nullptr},
    Shot{"stage_combinations", false, {}, 0.0f, nullptr, nullptr, drawStages},
    Shot{"glass_light_settings", false, {}, 0.0f, nullptr, nullptr, drawGlassLights},
};

std::vector<Case> allCases() {
  std::vector<Case> cases;
  for (DeviceKind kind : {DeviceKind::FixedFunction, DeviceKind::Shader})
    for (const Shot& shot : kShots) cases.push_back(Case{shot, kind});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Frames, GoldenImage, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.shot.name) +
                                  (info.param.device == DeviceKind::Shader ? "_shader" : "_fixed");
                         });

}  // namespace

}  // namespace cog
