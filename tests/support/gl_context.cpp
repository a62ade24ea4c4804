#include "support/gl_context.h"

#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Keeps every library loaded so far (SDL's EGL, Mesa's EGL and GL
// dispatch, the */dri/*_dri.so driver and its LLVM) in memory until the
// process ends. SDL unloads EGL with the last GL window and Mesa's driver
// goes with it; what their globals still pointed to would then look leaked
// to LeakSanitizer, which checks at exit.
int pinLibrary(dl_phdr_info* info, size_t, void*) {
  const char* name = info->dlpi_name;
  if (name != nullptr && name[0] != '\0') dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

}  // namespace

void pinLoadedLibraries() { dl_iterate_phdr(pinLibrary, nullptr); }

GlTestContext::~GlTestContext() {
  if (context_ != nullptr) {
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool GlTestContext::create(std::string& error) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("SDL video (offscreen driver) did not start: ") + SDL_GetError();
    return false;
  }
  sdlStarted_ = true;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 2);
  window_ = SDL_CreateWindow("Cogstorm! (test)", 0, 0, kSize, kSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    error = std::string("no offscreen GL window: ") + SDL_GetError();
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    error = std::string("no GL compatibility context: ") + SDL_GetError();
    return false;
  }
  if (SDL_GL_MakeCurrent(window_, context_) != 0) {
    error = std::string("GL context could not be made current: ") + SDL_GetError();
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    return false;
  }
  pinLoadedLibraries();
  return true;
}

void GlTestContext::swap() {
  if (window_ != nullptr) SDL_GL_SwapWindow(window_);
}

std::vector<uint8_t> GlTestContext::readPixels() const {
  std::vector<uint8_t> bottomUp(static_cast<size_t>(kSize) * kSize * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> rows(bottomUp.size());
  const size_t stride = static_cast<size_t>(kSize) * 4;
  for (int y = 0; y < kSize; ++y)
    std::copy_n(bottomUp.data() + static_cast<size_t>(kSize - 1 - y) * stride, stride,
                rows.data() + static_cast<size_t>(y) * stride);
  return rows;
}

uint32_t GlTestContext::pixel(int x, int y) const {
  uint8_t p[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, kSize - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
}

std::string GlTestContext::rendererName() const {
  const auto* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return std::string(vendor ? vendor : "?") + " / " + (renderer ? renderer : "?") + " / " +
         (version ? version : "?");
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
              std::string& error) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) {
    error = path + ": pixel data does not match " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = path + ": cannot be opened for writing";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    error = path + ": libpng could not start";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    error = path + ": libpng failed while writing";
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(rgba.data() + static_cast<size_t>(y) * width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    error = path + ": could not be closed after writing";
    return false;
  }
  return true;
}
