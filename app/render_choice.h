#pragma once
// Which GL device draws (--renderer) and what it runs on (--gl-info): the
// shader device on a GL 3.3 core context ("gl") or an OpenGL ES 3.0 context
// ("gles"), or the fixed-function device on a compatibility context
// ("compat"); "auto" tries them in that order and takes the first that
// works.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/offscreen_gl.h"
#include "platform/window.h"
#include "render/gpu/texture_rules.h"
#include "seams/render_device.h"

namespace cog {

enum class RendererChoice { Auto, Gl, Gles, Compat };

// The names --renderer takes, in the order auto tries them after "auto".
const char* rendererName(RendererChoice choice);

// An offscreen surface and the device drawing on it.
struct OffscreenDrawing {
  std::unique_ptr<OffscreenGl> surface;
  std::unique_ptr<RenderDevice> device;
  RendererChoice made = RendererChoice::Compat;  // never Auto
  std::string deviceName;                        // e.g. "shader device (OpenGL 3.3 core)"
};

// Makes a width x height surface and a device for `choice`; `present` is
// called when a frame is done, before the buffers are swapped. Null with
// `error` saying what each try lacked and which option to try. With the
// path of the GL sample memo (app/sample_memo.h), a GL it names is not
// asked for samples, and what the tries learn is kept there.
std::unique_ptr<OffscreenDrawing> makeOffscreenDrawing(RendererChoice choice, int width, int height,
                                                       TextureFilter filter, std::function<void()> beforeSwap,
                                                       std::string& error, const std::string& sampleMemoPath = {});

// The game's window and the device drawing in it. The device goes first,
// while the window's context lives.
struct WindowDrawing {
  std::unique_ptr<GameWindow> window;
  std::unique_ptr<RenderDevice> device;
  RendererChoice made = RendererChoice::Compat;  // never Auto
  std::string deviceName;
  // Both GL devices keep the drawable's size for the viewport and clears.
  std::function<void(uint32_t, uint32_t)> setBackBufferSize;
  // Images decoded ahead for the device's textures (null: none).
  std::function<void(ImagePrefetch*)> setImagePrefetch;
  ~WindowDrawing() { device.reset(); }
};

// Opens the window with the context `choice` needs and makes the device
// in it, trying in auto's order; a frame is presented by swapping the
// window's buffers. Null with `error` saying what each try lacked (or only
// why no window can be opened at all, when that is the same for every try).
// The sample memo as makeOffscreenDrawing's.
std::unique_ptr<WindowDrawing> makeWindowDrawing(RendererChoice choice, WindowRequest request, TextureFilter filter,
                                                 std::string& error, const std::string& sampleMemoPath = {});

struct DrawOptions;

// --gl-info: prints the device `draw.renderer` chooses and its context; 0,
// or 1 with one message when nothing can be made.
int printGlInfo(const DrawOptions& draw, std::ostream& out, std::ostream& err);

}  // namespace cog
