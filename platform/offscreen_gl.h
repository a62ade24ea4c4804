#pragma once
// An OpenGL surface with no window on screen and no X server: SDL's
// offscreen video driver with Mesa (llvmpipe where there is no GPU). It
// has the attributes of the game's window, so the game draws on it the
// picture the window would show. Used by headless runs that draw, the
// timedemo, the frame benchmark and the picture tests.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl_attributes.h"  // pinLoadedLibraries

namespace cog {

struct OffscreenParts;

class OffscreenGl {
 public:
  // A width x height surface whose context is current on return. Null with
  // `error` saying which step failed and why. `samples` and `memo` as
  // the window asks.
  static std::unique_ptr<OffscreenGl> create(int width, int height, int samples, std::string& error,
                                             GlProfile profile = GlProfile::Compatibility,
                                             GlSampleMemo* memo = nullptr);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Ends the frame: waits until GL has finished drawing it (so a frame's
  // time is its whole cost), then swaps the buffers.
  void swap();

  // The back buffer as RGBA8 rows, top row first. Read it before swap().
  std::vector<uint8_t> readPixels() const;
  // One pixel of the back buffer as 0xAARRGGBB, (x, y) from the top left.
  uint32_t pixel(int x, int y) const;

  // "vendor / renderer / version", for messages.
  std::string rendererName() const;
  // Samples per pixel the driver granted (0: not multisampled).
  int samples() const;
  // Surfaces opened to make this one, itself included.
  int windowsMade() const { return windowsMade_; }

 private:
  OffscreenGl(std::unique_ptr<OffscreenParts> parts, int width, int height);
  std::unique_ptr<OffscreenParts> parts_;
  int width_;
  int height_;
  int windowsMade_ = 0;
};

}  // namespace cog
