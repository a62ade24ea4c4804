#pragma once
// The GL device tests' surface: the game's offscreen GL surface at 512 x
// 512 (SDL's offscreen driver, Mesa's llvmpipe; no X server, no GPU).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl_attributes.h"
#include "platform/offscreen_gl.h"
#include "platform/png_write.h"

namespace cog {

class GlTestContext {
 public:
  static constexpr int kSize = 512;

  // Creates the surface and makes its context current. On failure returns
  // false and `error` says which step failed and SDL's reason. `samples`
  // as the window asks: none unless the GL grants exactly that many.
  bool create(std::string& error, int size = kSize, GlProfile profile = GlProfile::Compatibility,
              int samples = kGameGlSamples) {
    surface_ = OffscreenGl::create(size, size, samples, error, profile);
    return surface_ != nullptr;
  }
  bool ready() const { return surface_ != nullptr; }
  OffscreenGl& surface() { return *surface_; }

  void swap() { surface_->swap(); }
  std::vector<uint8_t> readPixels() const { return surface_->readPixels(); }
  uint32_t pixel(int x, int y) const { return surface_->pixel(x, y); }
  std::string rendererName() const { return surface_->rendererName(); }

 private:
  std::unique_ptr<OffscreenGl> surface_;
};

}  // namespace cog
