#pragma once
// The game's one window, with its OpenGL context, its 33 ms timer and its
// keyboard and game controllers, on SDL2. Nothing outside platform/ sees SDL.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/controller_map.h"
#include "platform/gl_attributes.h"
#include "platform/key_bindings.h"

namespace cog {

// What the window is opened with.
struct WindowRequest {
  GlProfile profile = GlProfile::Compatibility;  // the context the render device needs
  int width = 512, height = 512;                 // in points
  bool fullscreen = false;                       // starts fullscreen
  GlSampleMemo* sampleMemo = nullptr;            // what earlier runs learnt of the GL's samples, kept up to date
};

struct WindowParts;

// What the window tells a run besides the game's key codes and its ticks:
// the keys of the presentation around the game (they never get a game
// code), the window losing focus or being hidden, controllers coming and
// going, and the mouse.
enum class WindowSignal {
  Pause,              // P, the Pause key, or a controller's Guide button
  Escape,             // Escape pressed
  Quit,               // Q pressed while paused (otherwise Q is a game key)
  KeyReleased,        // a key let go
  Help,               // F1
  StatusLine,         // Tab (without Alt)
  OtherKey,           // a key pressed that has no game code
  FocusLost,          // the window lost the keyboard focus
  Hidden,             // minimised or unmapped
  Exposed,            // shown again or uncovered: the picture wants drawing
  ControllerAdded,    // a controller was plugged in
  ControllerRemoved,  // a controller that had been played was unplugged
  MouseClick,         // the left button pressed in the window
};

// A run's part in the event loop (all optional).
struct WindowHooks {
  // Each signal; true stops the run.
  std::function<bool(WindowSignal)> signal;
  // While true, each 33 ms tick calls `idle` instead of the tick, and held
  // controller directions do not repeat.
  std::function<bool()> paused;
  std::function<void()> idle;
  // Horizontal motion in pixels while the mouse is captured.
  std::function<void(int)> mouseMoved;
};

class GameWindow {
 public:
  // "Cogstorm!", 512 x 512 (or as requested) at (100, 100), hidden until
  // show(). Null with a
  // message when there is no display (suggesting --headless) or no OpenGL
  // context to be had. On HiDPI screens the drawable has more pixels than
  // the window has points.
  static std::unique_ptr<GameWindow> create(std::string& error) { return create(WindowRequest{}, error); }
  static std::unique_ptr<GameWindow> create(const WindowRequest& request, std::string& error);
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  void show();
  void swapBuffers();

  // The drawable's size in pixels.
  void drawableSize(int& width, int& height) const;
  // Called with the new drawable size whenever it changes (resizing, the
  // fullscreen toggle, moving to a screen of another scale).
  void onDrawableResized(std::function<void(int, int)> resized);
  // Alt+Enter and F11 switch between the window and desktop fullscreen;
  // the game never sees those keys. Leaving fullscreen puts the window back
  // where it was, at the size it had, with or without a window manager.
  void toggleFullscreen();
  bool fullscreen() const;
  // The window's size when not fullscreen, in points.
  void windowedSize(int& width, int& height) const;

  // Which key sends which game code, and the volume keys.
  void setKeyBindings(const KeyBindings& bindings);
  // Called for the keys the window keeps for the player (the volumes).
  void onPlayerKey(std::function<void(PlayerKey)> playerKey);
  // Where a controller's left stick presses and lets go.
  void setStickZones(const StickZones& zones);

  // Runs until the window is closed or Escape is let go (or `maxTicks`
  // ticks have run, when it is positive): every 33 ms the loop runs
  // `tick` (after the events that came before it). The timer starts when
  // the window is made, before the device and the level load, as the
  // game's did: when loading took longer than a period, the first tick
  // comes as soon as the loop runs. Every key press (auto-repeat included) and every game
  // controller press (a held direction repeating before a tick) runs `key`
  // with the game's key code.
  // With `hooks`, Escape no longer closes the window by itself: the hooks
  // hear it (and every other signal) and say when to stop.
  void run(const std::function<void()>& tick, const std::function<void(uint32_t)>& key, int64_t maxTicks,
           const WindowHooks* hooks = nullptr);
  // The caption, "Cogstorm!" until changed.
  void setTitle(const std::string& title);
  // Relative mouse mode: the pointer hidden and held, motion reported to
  // WindowHooks::mouseMoved. Off again on release.
  void captureMouse(bool capture);
  bool mouseCaptured() const;
  // Runs `tick` back to back, without the timer, until `maxTicks` ticks
  // have run or the window is closed; keys other than the fullscreen
  // toggle are ignored. False when the window was closed first.
  bool runUnpaced(const std::function<void()>& tick, int64_t maxTicks);

 private:
  explicit GameWindow(std::unique_ptr<WindowParts> parts);
  // Handles a window or fullscreen-key event; true when it was one.
  bool handleWindowEvent(const void* sdlEvent);
  std::unique_ptr<WindowParts> parts_;
};

// A message box with an OK button, shown without a window, for the errors
// that stop the game before or while it starts.
void showMessageBox(const std::string& caption, const std::string& text);

// The game's key code for an SDL key, 0 for keys the game has no code for.
uint32_t gameKeyCode(int32_t sdlKeycode);

}  // namespace cog
