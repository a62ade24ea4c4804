// SDL GL attributes and windows for the game's contexts, GL function lookup and context facts.
#include "platform/gl_attributes.h"

#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>

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

const char* glProfileName(GlProfile profile) {
  switch (profile) {
    case GlProfile::Core33: return "OpenGL 3.3 core";
    case GlProfile::Es30: return "OpenGL ES 3.0";
    default: return "OpenGL compatibility";
  }
}

void requestGameGlAttributes(int samples, GlProfile profile) {
  SDL_GL_ResetAttributes();
  if (profile == GlProfile::Core33) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  } else if (profile == GlProfile::Es30) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  } else {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
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

bool open(const char* title, int x, int y, int width, int height, uint32_t flags, int samples, GlProfile profile,
          GlWindow& w) {
  requestGameGlAttributes(samples, profile);
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
                      GlWindow& out, std::string& error, GlProfile profile, GlSampleMemo* memo) {
  int made = 0;
  const auto openOne = [&](int asked) {
    ++made;
    const bool ok = open(title, x, y, width, height, sdlFlags, asked, profile, out);
    out.windowsMade = made;
    return ok;
  };
  const auto remembered = [memo](const std::string& key) {
    return memo != nullptr && std::find(memo->inexact.begin(), memo->inexact.end(), key) != memo->inexact.end();
  };
  if (samples > 0 && memo != nullptr && !memo->inexact.empty()) {
    // Where a plain surface cannot be made, a multisampled one cannot either.
    if (!openOne(0)) {
      error = SDL_GetError();
      return false;
    }
    if (remembered(currentGlContextKey())) return true;
    close(out);  // another GL than last time: ask it
  }
  if (samples > 0 && openOne(samples)) {
    int granted = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &granted);
    if (granted == samples) return true;
    const std::string key = currentGlContextKey();
    close(out);
    if (memo != nullptr && !remembered(key)) {
      memo->inexact.push_back(key);
      memo->learned = true;
    }
  }
  if (openOne(0)) return true;
  error = SDL_GetError();
  return false;
}

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

namespace {

std::string glText(GLenum what) {
  const auto* s = reinterpret_cast<const char*>(glGetString(what));
  return std::string(s != nullptr ? s : "?");
}

}  // namespace

std::string currentGlContextKey() { return glText(GL_VENDOR) + " / " + glText(GL_RENDERER) + " / " + glText(GL_VERSION); }

GlContextInfo currentGlContextInfo() {
  const auto text = glText;
  GlContextInfo info;
  info.vendor = text(GL_VENDOR);
  info.renderer = text(GL_RENDERER);
  info.version = text(GL_VERSION);
  info.shadingLanguage = text(0x8B8C);  // GL_SHADING_LANGUAGE_VERSION
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &info.depthBits);
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &info.stencilBits);
  SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &info.samples);
  return info;
}

}  // namespace cog
