#pragma once
// An offscreen SDL window with an OpenGL compatibility context for the GL
// device tests: 512 x 512, 24-bit depth, 8-bit stencil, multisampled. Works
// without an X server or a GPU (SDL's offscreen driver, Mesa's llvmpipe).

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

class GlTestContext {
 public:
  static constexpr int kSize = 512;

  GlTestContext() = default;
  ~GlTestContext();
  GlTestContext(const GlTestContext&) = delete;
  GlTestContext& operator=(const GlTestContext&) = delete;

  // Creates the window and makes its context current. On failure returns
  // false and `error` says which step failed and SDL's reason.
  bool create(std::string& error);
  bool ready() const { return context_ != nullptr; }

  // Swaps the window's buffers (the device's present).
  void swap();

  // The back buffer as RGBA8 rows, top row first.
  std::vector<uint8_t> readPixels() const;
  // One pixel of the back buffer as 0xAARRGGBB, (x, y) from the top left.
  uint32_t pixel(int x, int y) const;

  // What the driver says it is, for messages.
  std::string rendererName() const;

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  bool sdlStarted_ = false;
};

// Writes RGBA8 rows (top first) as a PNG file; false with `error` set on
// failure.
// Keeps every library loaded so far in memory until the process ends, so
// that what a graphics driver's globals still hold at exit does not look
// leaked once SDL has unloaded the driver. Call after the GL context exists.
void pinLoadedLibraries();

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
              std::string& error);
