#pragma once
// The OpenGL surface the game asks for, the same for its window and for an
// offscreen surface, so that both draw the same picture: a compatibility
// context, 8-bit colour channels, 24-bit depth, 8-bit stencil for the
// mirror, double-buffered, and 2 samples per pixel as the game's device
// asked.

#include <cstdint>
#include <string>

struct SDL_Window;

namespace cog {

// The samples per pixel the game asks for.
constexpr int kGameGlSamples = 2;

// Sets SDL's GL attributes before a GL window is made; `samples` 0 asks for
// no multisampling.
void requestGameGlAttributes(int samples);

struct GlWindow {
  SDL_Window* window = nullptr;
  void* context = nullptr;  // SDL_GLContext, current on success
};

// Makes a window with an OpenGL context, asking for `samples` per pixel.
// Multisampling is used only as asked: a driver that grants more samples
// than asked (Mesa's llvmpipe only has 4, and there every sample costs
// processor time) or none at that count gets a surface without it. False
// with `error` (SDL's reason) when no window or context could be made.
bool openGameGlWindow(const char* title, int x, int y, int width, int height, uint32_t sdlFlags, int samples,
                      GlWindow& out, std::string& error);

// Keeps every library loaded so far in memory until the process ends, so
// that what a graphics driver's globals still hold at exit does not look
// leaked once SDL has unloaded the driver. Called whenever a GL context is
// made; harmless to call again.
void pinLoadedLibraries();

}  // namespace cog
