// The SDL side of the game: key codes, and the window's tick and key loop
// on SDL's offscreen video driver, which Escape ends.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/keys.h"
#include "platform/window.h"
#include "support/gl_context.h"

namespace cog {

namespace {

TEST(KeyCodes, KeysGiveTheCodesOfTheKeyTable) {
  EXPECT_EQ(gameKeyCode(SDLK_SPACE), uint32_t(kKeyFire));
  EXPECT_EQ(gameKeyCode(SDLK_LEFT), uint32_t(kKeyLeft));
  EXPECT_EQ(gameKeyCode(SDLK_UP), uint32_t(kKeyUp));
  EXPECT_EQ(gameKeyCode(SDLK_RIGHT), uint32_t(kKeyRight));
  EXPECT_EQ(gameKeyCode(SDLK_DOWN), uint32_t(kKeyDown));
  // Letters are always their upper-case codes.
  EXPECT_EQ(gameKeyCode(SDLK_b), uint32_t(kKeyStrafeRight));
  EXPECT_EQ(gameKeyCode(SDLK_v), uint32_t(kKeyStrafeLeft));
  EXPECT_EQ(gameKeyCode(SDLK_i), uint32_t(kKeyFreeze));
  EXPECT_EQ(gameKeyCode(SDLK_m), uint32_t(kKeyMusic));
  EXPECT_EQ(gameKeyCode(SDLK_n), uint32_t(kKeyNewGame));
  EXPECT_EQ(gameKeyCode(SDLK_t), uint32_t(kKeyXray));
  EXPECT_EQ(gameKeyCode(SDLK_g), 71u);
  // Keypad and function keys send the codes that equal lower-case letters.
  EXPECT_EQ(gameKeyCode(SDLK_KP_2), uint32_t(kKeyStrafeRightPad));
  EXPECT_EQ(gameKeyCode(SDLK_KP_7), uint32_t(kKeyXrayNoRestore));
  EXPECT_EQ(gameKeyCode(SDLK_KP_9), uint32_t(kKeyFreezePad));
  EXPECT_EQ(gameKeyCode(SDLK_KP_MINUS), uint32_t(kKeyMusicPad));
  EXPECT_EQ(gameKeyCode(SDLK_KP_PERIOD), uint32_t(kKeyNewGamePad));
  EXPECT_EQ(gameKeyCode(SDLK_F5), uint32_t(kKeyXrayF5));
  EXPECT_EQ(gameKeyCode(SDLK_F7), uint32_t(kKeyStrafeLeftF7));
  EXPECT_EQ(gameKeyCode(SDLK_LSHIFT), 0u);
}

TEST(Window, TicksAndKeysReachTheGameInOrder) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::string error;
  std::unique_ptr<GameWindow> window = GameWindow::create(error);
  ASSERT_TRUE(window) << error;
  pinLoadedLibraries();
  window->show();

  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_UP;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  key.key.keysym.sym = SDLK_LSHIFT;  // no code: not passed on
  ASSERT_EQ(SDL_PushEvent(&key), 1);

  std::vector<int> seen;  // key codes, and -1 for a tick
  window->run([&] { seen.push_back(-1); }, [&](uint32_t code) { seen.push_back(static_cast<int>(code)); }, 3);
  EXPECT_EQ(seen, (std::vector<int>{kKeyUp, -1, -1, -1}));

  // Escape, which the game has no command for, closes the window as it
  // comes up, before anything after it.
  key.key.keysym.sym = SDLK_LEFT;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  key.key.keysym.sym = SDLK_ESCAPE;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  key.type = SDL_KEYUP;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_RIGHT;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  seen.clear();
  window->run([&] { seen.push_back(-1); }, [&](uint32_t code) { seen.push_back(static_cast<int>(code)); }, 100);
  EXPECT_EQ(seen, (std::vector<int>{kKeyLeft}));
}

}  // namespace

}  // namespace cog
