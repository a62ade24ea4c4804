#pragma once
// The OpenGL surface the game asks for, the same for its window and for an
// offscreen surface, so that both draw the same picture: a compatibility
// context, 8-bit colour channels, 24-bit depth, 8-bit stencil for the
// mirror, double-buffered, and 2 samples per pixel as the game's device
// asked.

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace cog {

// The samples per pixel the game asks for.
constexpr int kGameGlSamples = 2;

// The kind of context: a compatibility profile (the fixed-function GL
// device), a GL 3.3 core profile or an OpenGL ES 3.0 context (the shader
// device).
enum class GlProfile { Compatibility, Core33, Es30 };
const char* glProfileName(GlProfile profile);

// Sets SDL's GL attributes before a GL window is made; `samples` 0 asks for
// no multisampling.
void requestGameGlAttributes(int samples, GlProfile profile = GlProfile::Compatibility);

struct GlWindow {
  SDL_Window* window = nullptr;
  void* context = nullptr;  // SDL_GLContext, current on success
  int windowsMade = 0;      // windows opened on the way, the one kept included
};

// The GLs known not to grant the game's samples exactly, each as
// currentGlContextKey() gave it. Finding that out costs a multisampled
// window and context, which on Mesa's llvmpipe take about 150 ms more than
// a plain one; a run that remembers it opens the plain one at once and
// only asks again when the GL turns out to be another.
struct GlSampleMemo {
  std::vector<std::string> inexact;
  bool learned = false;  // `inexact` changed and wants keeping
};

// Makes a window with an OpenGL context, asking for `samples` per pixel.
// Multisampling is used only as asked: a driver that grants more samples
// than asked (Mesa's llvmpipe only has 4, and there every sample costs
// processor time) or none at that count gets a surface without it. With a
// memo, a GL it names is not asked again. False with `error` (SDL's
// reason) when no window or context could be made.
bool openGameGlWindow(const char* title, int x, int y, int width, int height, uint32_t sdlFlags, int samples,
                      GlWindow& out, std::string& error, GlProfile profile = GlProfile::Compatibility,
                      GlSampleMemo* memo = nullptr);

// The current context as "vendor / renderer / version": the version names
// the profile and the driver's release.
std::string currentGlContextKey();

// The current context's GL function `name` (SDL_GL_GetProcAddress).
void* glProcAddress(const char* name);

// What the current context is, for --gl-info and messages.
struct GlContextInfo {
  std::string vendor, renderer, version, shadingLanguage;
  int depthBits = 0, stencilBits = 0, samples = 0;
};
GlContextInfo currentGlContextInfo();

// Keeps every library loaded so far in memory until the process ends, so
// that what a graphics driver's globals still hold at exit does not look
// leaked once SDL has unloaded the driver. Called whenever a GL context is
// made; harmless to call again.
void pinLoadedLibraries();

}  // namespace cog
