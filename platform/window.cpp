#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/gl_attributes.h"

#include "platform/controller.h"

namespace cog {

struct WindowParts {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  Uint32 tickEvent = 0;
  SDL_TimerID timer = 0;
  std::atomic<bool> tickPending{false};
  std::unique_ptr<Controllers> controllers;
  std::function<void(int, int)> resized;
  KeyBindings keys;
  std::function<void(PlayerKey)> playerKey;
  bool fullscreen = false;
  SDL_Rect windowed{};  // where the window was before fullscreen
};

namespace {

constexpr int kWindowX = 100;
constexpr int kWindowY = 100;
constexpr Uint32 kTickMilliseconds = 33;

// Like the system's timer messages, ticks never pile up: while one waits
// to be handled, the timer adds no other.
Uint32 onTimer(Uint32 interval, void* param) {
  WindowParts* parts = static_cast<WindowParts*>(param);
  if (!parts->tickPending.exchange(true)) {
    SDL_Event event{};
    event.type = parts->tickEvent;
    SDL_PushEvent(&event);
  }
  return interval;
}

bool hasEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && v[0] != '\0';
}

// Why no window could be opened, with a way out when there is no display.
std::string noWindowMessage() {
  std::string text = std::string("cannot open a window: ") + SDL_GetError();
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool needsDisplay = driver == nullptr || driver[0] == '\0' || std::string(driver) == "x11" ||
                            std::string(driver) == "wayland";
  if (needsDisplay && !hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY"))
    text += " (neither DISPLAY nor WAYLAND_DISPLAY is set); run with --headless to play without a window";
  return text;
}

// SDL falls back to a video driver that shows nothing (offscreen, dummy)
// when there is no display; a window there only makes sense when asked for
// by name, as the tests do.
bool invisibleDriverNotAsked() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  const std::string name = driver;
  if (name != "offscreen" && name != "dummy") return false;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return asked == nullptr || name != asked;
}

constexpr Uint32 kWindowFlags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;

}  // namespace

std::unique_ptr<GameWindow> GameWindow::create(const WindowRequest& request, std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    error = noWindowMessage();
    return nullptr;
  }
  if (invisibleDriverNotAsked()) {
    SDL_SetError("no display, only SDL's %s video driver", SDL_GetCurrentVideoDriver());
    error = noWindowMessage();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    return nullptr;
  }
  auto parts = std::make_unique<WindowParts>();
  GlWindow gl;
  if (!openGameGlWindow("Cogstorm!", kWindowX, kWindowY, request.width, request.height, kWindowFlags, kGameGlSamples,
                        gl, error, request.profile)) {
    error = noWindowMessage();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    return nullptr;
  }
  parts->window = gl.window;
  parts->context = gl.context;
  SDL_GL_SetSwapInterval(0);  // the timer paces the frames
  parts->tickEvent = SDL_RegisterEvents(1);
  if (parts->tickEvent == static_cast<Uint32>(-1)) {
    // Without its own event the timer could never wake the loop.
    error = std::string("cannot register the game's timer event: ") + SDL_GetError();
    SDL_GL_DeleteContext(gl.context);
    SDL_DestroyWindow(gl.window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    return nullptr;
  }
  parts->controllers = std::make_unique<Controllers>();
  std::unique_ptr<GameWindow> window(new GameWindow(std::move(parts)));
  if (request.fullscreen) window->toggleFullscreen();
  return window;
}

GameWindow::GameWindow(std::unique_ptr<WindowParts> parts) : parts_(std::move(parts)) {}

GameWindow::~GameWindow() {
  parts_->controllers.reset();
  if (parts_->timer) SDL_RemoveTimer(parts_->timer);
  SDL_GL_DeleteContext(parts_->context);
  SDL_DestroyWindow(parts_->window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

void GameWindow::show() { SDL_ShowWindow(parts_->window); }

void GameWindow::swapBuffers() { SDL_GL_SwapWindow(parts_->window); }

void GameWindow::drawableSize(int& width, int& height) const {
  SDL_GL_GetDrawableSize(parts_->window, &width, &height);
}

void GameWindow::onDrawableResized(std::function<void(int, int)> resized) { parts_->resized = std::move(resized); }

// On X11 fullscreen is a borderless window over the whole screen: SDL's
// own desktop fullscreen asks the window manager, and without one the
// window neither grows nor comes back. Elsewhere (Wayland) SDL's is the
// only way, and the size is put back by hand on the way out.
void GameWindow::toggleFullscreen() {
  SDL_Window* window = parts_->window;
  const bool x11 = std::string(SDL_GetCurrentVideoDriver()) == "x11";
  if (!parts_->fullscreen) {
    SDL_Rect& was = parts_->windowed;
    SDL_GetWindowPosition(window, &was.x, &was.y);
    SDL_GetWindowSize(window, &was.w, &was.h);
    SDL_Rect screen{};
    if (x11 && SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &screen) == 0) {
      SDL_SetWindowBordered(window, SDL_FALSE);
      SDL_SetWindowPosition(window, screen.x, screen.y);
      SDL_SetWindowSize(window, screen.w, screen.h);
      SDL_RaiseWindow(window);
    } else {
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    parts_->fullscreen = true;
  } else {
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    const SDL_Rect& was = parts_->windowed;
    SDL_SetWindowSize(window, was.w, was.h);
    SDL_SetWindowPosition(window, was.x, was.y);
    parts_->fullscreen = false;
  }
}

bool GameWindow::fullscreen() const { return parts_->fullscreen; }

void GameWindow::windowedSize(int& width, int& height) const {
  if (parts_->fullscreen) {
    width = parts_->windowed.w;
    height = parts_->windowed.h;
  } else {
    SDL_GetWindowSize(parts_->window, &width, &height);
  }
}

void GameWindow::setKeyBindings(const KeyBindings& bindings) { parts_->keys = bindings; }

void GameWindow::onPlayerKey(std::function<void(PlayerKey)> playerKey) { parts_->playerKey = std::move(playerKey); }

void GameWindow::setStickZones(const StickZones& zones) { parts_->controllers->setStickZones(zones); }

bool GameWindow::handleWindowEvent(const void* sdlEvent) {
  const SDL_Event& event = *static_cast<const SDL_Event*>(sdlEvent);
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
    int width = 0, height = 0;
    drawableSize(width, height);
    if (parts_->resized) parts_->resized(width, height);
    return true;
  }
  if (event.type == SDL_KEYDOWN) {
    const SDL_Keycode sym = event.key.keysym.sym;
    const bool altEnter = (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT) != 0;
    if (sym == SDLK_F11 || altEnter) {
      if (event.key.repeat == 0) toggleFullscreen();
      return true;
    }
  }
  return false;
}

bool GameWindow::runUnpaced(const std::function<void()>& tick, int64_t maxTicks) {
  SDL_Event event;
  for (int64_t ticks = 0; ticks < maxTicks; ++ticks) {
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) return false;
      if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) return false;
      handleWindowEvent(&event);
    }
    tick();
  }
  return true;
}

void GameWindow::run(const std::function<void()>& tick, const std::function<void(uint32_t)>& key,
                     int64_t maxTicks) {
  parts_->timer = SDL_AddTimer(kTickMilliseconds, onTimer, parts_.get());
  int64_t ticks = 0;
  SDL_Event event;
  while (SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) break;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) break;
    if (handleWindowEvent(&event)) continue;
    if (event.type == SDL_KEYDOWN) {
      if (event.key.keysym.sym == SDLK_ESCAPE) break;  // Escape closes the window
      if (const PlayerKey own = parts_->keys.playerKey(event.key.keysym.sym); own != PlayerKey::None) {
        if (parts_->playerKey) parts_->playerKey(own);
        continue;
      }
      const uint32_t code = parts_->keys.gameCode(event.key.keysym.sym);
      if (code != 0) key(code);
    } else if (event.type == parts_->tickEvent) {
      parts_->tickPending = false;
      parts_->controllers->tick(key);
      tick();
      if (maxTicks > 0 && ++ticks >= maxTicks) break;
    } else {
      parts_->controllers->handle(event, key);
    }
  }
  SDL_RemoveTimer(parts_->timer);
  parts_->timer = 0;
}

void showMessageBox(const std::string& caption, const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), nullptr);
}

uint32_t gameKeyCode(int32_t sdlKeycode) {
  // Letters arrive as their upper-case codes, with or without Shift.
  if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return static_cast<uint32_t>('A' + (sdlKeycode - SDLK_a));
  if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return static_cast<uint32_t>('0' + (sdlKeycode - SDLK_0));
  if (sdlKeycode >= SDLK_F1 && sdlKeycode <= SDLK_F12) return static_cast<uint32_t>(112 + (sdlKeycode - SDLK_F1));
  if (sdlKeycode >= SDLK_KP_1 && sdlKeycode <= SDLK_KP_9) return static_cast<uint32_t>(97 + (sdlKeycode - SDLK_KP_1));
  switch (sdlKeycode) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN: return 13;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    default: return 0;
  }
}

}  // namespace cog
