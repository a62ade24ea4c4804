// The offscreen GL surface: SDL's offscreen driver with a context of the asked profile.
#include "platform/offscreen_gl.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/gl_attributes.h"

namespace cog {

struct OffscreenParts {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
};


std::unique_ptr<OffscreenGl> OffscreenGl::create(int width, int height, int samples, std::string& error,
                                                 GlProfile profile, GlSampleMemo* memo) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("SDL's offscreen video driver did not start: ") + SDL_GetError();
    return nullptr;
  }
  auto parts = std::make_unique<OffscreenParts>();
  GlWindow gl;
  if (!openGameGlWindow("Cogstorm!", 0, 0, width, height, SDL_WINDOW_HIDDEN, samples, gl, error, profile, memo)) {
    error = std::string("no offscreen surface with an ") + glProfileName(profile) + " context: " + error;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  parts->window = gl.window;
  parts->context = gl.context;
  SDL_GL_SetSwapInterval(0);
  pinLoadedLibraries();
  glViewport(0, 0, width, height);
  std::unique_ptr<OffscreenGl> surface(new OffscreenGl(std::move(parts), width, height));
  surface->windowsMade_ = gl.windowsMade;
  return surface;
}

OffscreenGl::OffscreenGl(std::unique_ptr<OffscreenParts> parts, int width, int height)
    : parts_(std::move(parts)), width_(width), height_(height) {}

OffscreenGl::~OffscreenGl() {
  SDL_GL_MakeCurrent(parts_->window, nullptr);
  SDL_GL_DeleteContext(parts_->context);
  SDL_DestroyWindow(parts_->window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void OffscreenGl::swap() {
  glFinish();
  SDL_GL_SwapWindow(parts_->window);
}

std::vector<uint8_t> OffscreenGl::readPixels() const {
  const size_t stride = static_cast<size_t>(width_) * 4;
  std::vector<uint8_t> bottomUp(stride * static_cast<size_t>(height_));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> rows(bottomUp.size());
  for (int y = 0; y < height_; ++y)
    std::copy_n(bottomUp.data() + static_cast<size_t>(height_ - 1 - y) * stride, stride,
                rows.data() + static_cast<size_t>(y) * stride);
  return rows;
}

uint32_t OffscreenGl::pixel(int x, int y) const {
  uint8_t p[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, height_ - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
}

std::string OffscreenGl::rendererName() const {
  const auto* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return std::string(vendor ? vendor : "?") + " / " + (renderer ? renderer : "?") + " / " +
         (version ? version : "?");
}

int OffscreenGl::samples() const {
  GLint n = 0;
  glGetIntegerv(GL_SAMPLES, &n);
  return n;
}

}  // namespace cog
