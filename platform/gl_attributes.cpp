#include "platform/gl_attributes.h"

#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

namespace cog {

namespace {

// SDL's EGL, Mesa's EGL and GL dispatch, the */dri/*_dri.so driver and its
// LLVM stay loaded: SDL unloads EGL with the last GL window and Mesa's
// driver goes with it; what their globals still pointed to would then look
// leaked to LeakSanitizer, which checks at exit.
int pinLibrary(dl_phdr_info* info, size_t, void*) {
  const char* name = info->dlpi_name;
  if (name != nullptr && name[0] != '\0') dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

}  // namespace

void pinLoadedLibraries() { dl_iterate_phdr(pinLibrary, nullptr); }

void requestGameGlAttributes(int samples) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

namespace {

void close(GlWindow& w) {
  if (w.context != nullptr) SDL_GL_DeleteContext(w.context);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w = GlWindow{};
}

bool open(const char* title, int x, int y, int width, int height, uint32_t flags, int samples, GlWindow& w) {
  requestGameGlAttributes(samples);
  w.window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
  if (w.window == nullptr) return false;
  w.context = SDL_GL_CreateContext(w.window);
  if (w.context == nullptr || SDL_GL_MakeCurrent(w.window, w.context) != 0) {
    close(w);
    return false;
  }
  // Before a first try is closed again, which would unload the driver.
  pinLoadedLibraries();
  return true;
}

}  // namespace

bool openGameGlWindow(const char* title, int x, int y, int width, int height, uint32_t sdlFlags, int samples,
                      GlWindow& out, std::string& error) {
  if (samples > 0 && open(title, x, y, width, height, sdlFlags, samples, out)) {
    GLint granted = 0;
    glGetIntegerv(GL_SAMPLES, &granted);
    if (granted == samples) return true;
    close(out);
  }
  if (open(title, x, y, width, height, sdlFlags, 0, out)) return true;
  error = SDL_GetError();
  return false;
}

}  // namespace cog
