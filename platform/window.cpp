#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/gl_attributes.h"

#include "platform/controller.h"

namespace cog {

struct WindowParts {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  std::unique_ptr<Controllers> controllers;
  std::function<void(int, int)> resized;
  int32_t controllerInUse = -1;  // the controller that last pressed something
  KeyBindings keys;
  std::function<void(PlayerKey)> playerKey;
  bool fullscreen = false;
  SDL_Rect windowed{};  // where the window was before fullscreen
  Uint64 timerStarted = 0;  // when the window was made; 0 once the loop has run
};

namespace {

constexpr int kWindowX = 100;
constexpr int kWindowY = 100;
constexpr Uint32 kTickMilliseconds = 33;

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
                        gl, error, request.profile, request.sampleMemo)) {
    error = noWindowMessage();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    return nullptr;
  }
  parts->window = gl.window;
  parts->context = gl.context;
  parts->timerStarted = SDL_GetTicks64();
  SDL_GL_SetSwapInterval(0);  // the 33 ms ticks pace the frames
  parts->controllers = std::make_unique<Controllers>();
  std::unique_ptr<GameWindow> window(new GameWindow(std::move(parts)));
  if (request.fullscreen) window->toggleFullscreen();
  return window;
}

GameWindow::GameWindow(std::unique_ptr<WindowParts> parts) : parts_(std::move(parts)) {}

GameWindow::~GameWindow() {
  parts_->controllers.reset();
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

void GameWindow::setTitle(const std::string& title) { SDL_SetWindowTitle(parts_->window, title.c_str()); }

void GameWindow::captureMouse(bool capture) { SDL_SetRelativeMouseMode(capture ? SDL_TRUE : SDL_FALSE); }

bool GameWindow::mouseCaptured() const { return SDL_GetRelativeMouseMode() == SDL_TRUE; }

namespace {

// The presentation's keys; false for the keys that belong to the game.
bool presentationKey(const SDL_KeyboardEvent& key, WindowSignal& signal) {
  switch (key.keysym.sym) {
    case SDLK_p:
    case SDLK_PAUSE: signal = WindowSignal::Pause; return true;
    case SDLK_F1: signal = WindowSignal::Help; return true;
    case SDLK_TAB:
      if ((key.keysym.mod & KMOD_ALT) != 0) return false;  // switching windows
      signal = WindowSignal::StatusLine;
      return true;
    default: return false;
  }
}

// A window or controller event as a signal; false when it is none.
bool windowSignal(const SDL_Event& event, WindowParts& parts, WindowSignal& signal) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST: signal = WindowSignal::FocusLost; return true;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN: signal = WindowSignal::Hidden; return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED: signal = WindowSignal::Exposed; return true;
        default: return false;
      }
    case SDL_CONTROLLERDEVICEADDED: signal = WindowSignal::ControllerAdded; return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (event.cdevice.which != parts.controllerInUse) return false;
      parts.controllerInUse = -1;
      signal = WindowSignal::ControllerRemoved;
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
      parts.controllerInUse = event.cbutton.which;
      if (event.cbutton.button != SDL_CONTROLLER_BUTTON_GUIDE) return false;
      signal = WindowSignal::Pause;
      return true;
    case SDL_CONTROLLERAXISMOTION:
      parts.controllerInUse = event.caxis.which;
      return false;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) return false;
      signal = WindowSignal::MouseClick;
      return true;
    default: return false;
  }
}

}  // namespace

void GameWindow::run(const std::function<void()>& tick, const std::function<void(uint32_t)>& key,
                     int64_t maxTicks, const WindowHooks* hooks) {
  const auto signal = [hooks](WindowSignal s) { return hooks != nullptr && hooks->signal && hooks->signal(s); };
  const auto paused = [hooks] { return hooks != nullptr && hooks->paused && hooks->paused(); };
  bool escapeDown = false;
  // One event; true when the run ends.
  const auto handle = [&](const SDL_Event& event) {
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) return true;
    WindowSignal s{};
    const bool isSignal = windowSignal(event, *parts_, s);
    if (handleWindowEvent(&event)) return isSignal && signal(s);
    if (event.type == SDL_KEYDOWN) {
      if (event.key.keysym.sym == SDLK_ESCAPE) {
        // Closing waits for the key to come up: the window must still be
        // there for the rest of the key's events.
        escapeDown = true;
        return event.key.repeat == 0 && signal(WindowSignal::Escape);  // a held Escape is one press
      }
      if (hooks != nullptr && presentationKey(event.key, s)) return event.key.repeat == 0 && signal(s);
      if (event.key.keysym.sym == SDLK_q && paused()) return event.key.repeat == 0 && signal(WindowSignal::Quit);
      if (const PlayerKey own = parts_->keys.playerKey(event.key.keysym.sym); own != PlayerKey::None) {
        if (parts_->playerKey) parts_->playerKey(own);
        return false;
      }
      const uint32_t code = parts_->keys.gameCode(event.key.keysym.sym);
      if (code == 0) return signal(WindowSignal::OtherKey);
      key(code);
      return false;
    }
    if (event.type == SDL_KEYUP) {
      if (hooks == nullptr) return escapeDown && event.key.keysym.sym == SDLK_ESCAPE;  // Escape closes the window
      return signal(WindowSignal::KeyReleased);
    }
    if (event.type == SDL_MOUSEMOTION) {
      if (hooks != nullptr && hooks->mouseMoved && mouseCaptured() && event.motion.xrel != 0)
        hooks->mouseMoved(event.motion.xrel);
      return false;
    }
    const bool guide = event.type == SDL_CONTROLLERBUTTONDOWN && event.cbutton.button == SDL_CONTROLLER_BUTTON_GUIDE;
    if (!guide) parts_->controllers->handle(event, key);
    return isSignal && signal(s);
  };

  // The ticks are timed here, on the loop's own thread: an event pushed
  // from a timer thread would wake the waiting loop with an X event sent to
  // the window, and one still on its way as the window goes is an X error
  // that ends the program (exit 1). Like the system's timer messages, ticks
  // never pile up: a late tick is followed by the next a whole period on.
  int64_t ticks = 0;
  Uint64 due = (parts_->timerStarted != 0 ? parts_->timerStarted : SDL_GetTicks64()) + kTickMilliseconds;
  parts_->timerStarted = 0;
  bool done = false;
  SDL_Event event;
  while (!done) {
    const Uint64 now = SDL_GetTicks64();
    if (now < due) {
      if (SDL_WaitEventTimeout(&event, static_cast<int>(due - now)) != 0) done = handle(event);
      continue;
    }
    // The keys that came before the tick go first.
    while (!done && SDL_PollEvent(&event)) done = handle(event);
    if (done) break;
    due = due + kTickMilliseconds > now ? due + kTickMilliseconds : now + kTickMilliseconds;
    if (paused()) {
      if (hooks->idle) hooks->idle();
      continue;
    }
    parts_->controllers->tick(key);
    tick();
    if (maxTicks > 0 && ++ticks >= maxTicks) break;
  }
  captureMouse(false);
  // What is still queued for the window goes before it does.
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
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
