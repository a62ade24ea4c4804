// The window's drawable and the GL device's viewport, on SDL's offscreen
// video driver: resizing, and the fullscreen keys.

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/window.h"
#include "render/gl/gl_device.h"
#include "support/gl_context.h"

namespace cog {

namespace {

class WindowResize : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    window = GameWindow::create(error);
    ASSERT_TRUE(window) << error;
    pinLoadedLibraries();
    dev = std::make_unique<GlDevice>([this] { window->swapBuffers(); });
    window->onDrawableResized([this](int w, int h) {
      dev->setBackBufferSize(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
    });
    window->show();
  }
  void TearDown() override {
    dev.reset();
    window.reset();
  }

  // The viewport GL draws with at the next draw after one tick.
  std::vector<GLint> viewportAfterATick() {
    std::vector<GLint> box(4, -1);
    window->run(
        [&] {
          dev->Clear(ClearFlags::Target, 0xFF000000u, 1.0f, 0);
          dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);  // no stream: skipped, but the state is current
          glGetIntegerv(GL_VIEWPORT, box.data());
        },
        [](uint32_t) {}, 1);
    return box;
  }

  std::unique_ptr<GameWindow> window;
  std::unique_ptr<GlDevice> dev;
};

TEST_F(WindowResize, ViewportFollowsTheDrawable) {
  struct Size {
    int w, h;
  };
  for (const Size size : {Size{300, 200}, Size{640, 700}, Size{512, 512}}) {
    SDL_SetWindowSize(SDL_GL_GetCurrentWindow(), size.w, size.h);
    int w = 0, h = 0;
    window->drawableSize(w, h);
    EXPECT_EQ(w, size.w);
    EXPECT_EQ(h, size.h);
    // The whole drawable, stretched: the game's aspect stays 1.0.
    const std::vector<GLint> box = viewportAfterATick();
    EXPECT_EQ(box, (std::vector<GLint>{0, 0, w, h})) << size.w << "x" << size.h;
    const Viewport vp = dev->GetViewport();
    EXPECT_EQ(vp.width, static_cast<uint32_t>(w));
    EXPECT_EQ(vp.height, static_cast<uint32_t>(h));
  }
}

TEST_F(WindowResize, FullscreenKeysToggleAndNeverReachTheGame) {
  struct Press {
    SDL_Keycode key;
    Uint16 mod;
    bool fullscreenAfter;
  };
  const Press presses[] = {{SDLK_F11, KMOD_NONE, true},
                           {SDLK_F11, KMOD_NONE, false},
                           {SDLK_RETURN, KMOD_LALT, true},
                           {SDLK_RETURN, KMOD_LALT, false},
                           {SDLK_RETURN, KMOD_NONE, false}};  // plain Enter is the game's key 13
  for (const Press& p : presses) {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = p.key;
    key.key.keysym.mod = p.mod;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    std::vector<uint32_t> codes;
    window->run([] {}, [&](uint32_t code) { codes.push_back(code); }, 1);
    EXPECT_EQ(window->fullscreen(), p.fullscreenAfter) << p.key << " " << p.mod;
    EXPECT_EQ(codes, p.key == SDLK_RETURN && p.mod == KMOD_NONE ? std::vector<uint32_t>{13} : std::vector<uint32_t>{});
  }
}

}  // namespace

}  // namespace cog
