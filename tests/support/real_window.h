#pragma once
// A real X server (Xvfb, no window manager) for one test, a game started on
// it, and xdotool to type into it and to read where its window is.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace cog {

// Starts a program with the given environment additions; returns its pid.
// With `outputFd` its standard output and error go there.
pid_t spawnProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, int outputFd = -1);
// Waits for it; its exit code, -1 when it did not exit.
int waitExit(pid_t pid);

// Where a window is on the screen.
struct WindowGeometry {
  int x = -1, y = -1, width = 0, height = 0;
  bool operator==(const WindowGeometry&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const WindowGeometry& g) {
  return out << g.width << "x" << g.height << "+" << g.x << "+" << g.y;
}

class RealWindowTest : public ::testing::Test {
 protected:
  static constexpr int kScreenWidth = 800, kScreenHeight = 600;

  void SetUp() override;
  void TearDown() override;

  // The environment a game on this server needs.
  std::vector<std::string> gameEnvironment() const;
  // Starts the game with `args` (and `env` besides the display's).
  void startGame(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
  // Waits for the game to end; its exit code.
  int gameExit();
  // Runs xdotool; its exit code.
  int xdotool(const std::vector<std::string>& args);
  // Waits until the game's window shows; its X id ("" when it never did).
  std::string waitForWindow();
  // The window's place and size: once it is `expected`, or (when nothing
  // is expected) once it has held still for a moment; at most six seconds.
  WindowGeometry geometry(const std::string& window, const WindowGeometry& expected = {});

  pid_t xvfb = -1;
  pid_t game = -1;
  std::string display;
  std::filesystem::path dir;  // removed after the test
};

}  // namespace cog
