#pragma once
// The game's one window, with its OpenGL context, its 33 ms timer and its
// keyboard and game controllers, on SDL2. Nothing outside platform/ sees SDL.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct WindowParts;

class GameWindow {
 public:
  // "Cogstorm!", 512 x 512 at (100, 100), hidden until show(). Null with a
  // message when there is no display or no OpenGL context to be had.
  static std::unique_ptr<GameWindow> create(std::string& error);
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  void show();
  void swapBuffers();

  // Runs until the window is closed or Escape is pressed (or `maxTicks`
  // ticks have run, when it is positive): every 33 ms timer event runs
  // `tick`, every key press (auto-repeat included) and every game
  // controller press (a held direction repeating before a tick) runs `key`
  // with the game's key code.
  void run(const std::function<void()>& tick, const std::function<void(uint32_t)>& key, int64_t maxTicks);

 private:
  explicit GameWindow(std::unique_ptr<WindowParts> parts);
  std::unique_ptr<WindowParts> parts_;
};

// A message box with an OK button, shown without a window, for the errors
// that stop the game before or while it starts.
void showMessageBox(const std::string& caption, const std::string& text);

// The game's key code for an SDL key, 0 for keys the game has no code for.
uint32_t gameKeyCode(int32_t sdlKeycode);
