// The --renderer choice: the GL devices tried in order on an offscreen surface, and --gl-info.
#include "app/render_choice.h"

#include <ostream>
#include <vector>

#include "platform/gl_attributes.h"
#include "render/gl/gl_device.h"
#include "render/shader/shader_device.h"

namespace cog {

const char* rendererName(RendererChoice choice) {
  switch (choice) {
    case RendererChoice::Gl: return "gl";
    case RendererChoice::Gles: return "gles";
    case RendererChoice::Compat: return "compat";
    default: return "auto";
  }
}

namespace {

GlProfile profileOf(RendererChoice c) {
  if (c == RendererChoice::Gl) return GlProfile::Core33;
  if (c == RendererChoice::Gles) return GlProfile::Es30;
  return GlProfile::Compatibility;
}

std::unique_ptr<OffscreenDrawing> tryOne(RendererChoice c, int width, int height, TextureFilter filter,
                                         const std::function<void()>& beforeSwap, std::string& problem) {
  auto drawing = std::make_unique<OffscreenDrawing>();
  drawing->surface = OffscreenGl::create(width, height, kGameGlSamples, problem, profileOf(c));
  if (!drawing->surface) return nullptr;
  OffscreenGl* surface = drawing->surface.get();
  auto present = [surface, beforeSwap] {
    if (beforeSwap) beforeSwap();
    surface->swap();
  };
  drawing->made = c;
  if (c == RendererChoice::Compat) {
    auto gl = std::make_unique<GlDevice>(present, filter);
    problem = gl->problem();
    drawing->device = std::move(gl);
    drawing->deviceName = "fixed-function device (OpenGL compatibility)";
  } else {
    auto shader = std::make_unique<ShaderDevice>(c == RendererChoice::Gles ? GlDialect::Gles30 : GlDialect::Gl33Core,
                                                 glProcAddress, present, filter);
    problem = shader->problem();
    drawing->device = std::move(shader);
    drawing->deviceName = std::string("shader device (") + glProfileName(profileOf(c)) + ")";
  }
  if (!problem.empty()) return nullptr;
  return drawing;
}

}  // namespace

std::unique_ptr<OffscreenDrawing> makeOffscreenDrawing(RendererChoice choice, int width, int height,
                                                       TextureFilter filter, std::function<void()> beforeSwap,
                                                       std::string& error) {
  const std::vector<RendererChoice> tries =
      choice == RendererChoice::Auto
          ? std::vector<RendererChoice>{RendererChoice::Gl, RendererChoice::Gles, RendererChoice::Compat}
          : std::vector<RendererChoice>{choice};
  std::string lacks;
  for (RendererChoice c : tries) {
    std::string problem;
    if (auto drawing = tryOne(c, width, height, filter, beforeSwap, problem)) return drawing;
    lacks += std::string(lacks.empty() ? "" : "; ") + rendererName(c) + ": " + problem;
  }
  error = "no OpenGL device could be made on this machine (" + lacks + ")";
  if (choice != RendererChoice::Auto)
    error += "; try --renderer auto";
  else
    error += "; it needs OpenGL 3.3 core, OpenGL ES 3.0 or OpenGL 4.5 compatibility with 8 stencil bits";
  return nullptr;
}

namespace {

std::unique_ptr<WindowDrawing> tryWindow(RendererChoice c, WindowRequest request, TextureFilter filter,
                                         std::string& problem) {
  auto drawing = std::make_unique<WindowDrawing>();
  request.profile = profileOf(c);
  drawing->window = GameWindow::create(request, problem);
  if (!drawing->window) return nullptr;
  GameWindow* window = drawing->window.get();
  auto present = [window] { window->swapBuffers(); };
  drawing->made = c;
  if (c == RendererChoice::Compat) {
    auto gl = std::make_unique<GlDevice>(present, filter);
    problem = gl->problem();
    GlDevice* device = gl.get();
    drawing->setBackBufferSize = [device](uint32_t w, uint32_t h) { device->setBackBufferSize(w, h); };
    drawing->setImagePrefetch = [device](ImagePrefetch* p) { device->setImagePrefetch(p); };
    drawing->device = std::move(gl);
    drawing->deviceName = "fixed-function device (OpenGL compatibility)";
  } else {
    auto shader = std::make_unique<ShaderDevice>(c == RendererChoice::Gles ? GlDialect::Gles30 : GlDialect::Gl33Core,
                                                 glProcAddress, present, filter);
    problem = shader->problem();
    ShaderDevice* device = shader.get();
    drawing->setBackBufferSize = [device](uint32_t w, uint32_t h) { device->setBackBufferSize(w, h); };
    drawing->setImagePrefetch = [device](ImagePrefetch* p) { device->setImagePrefetch(p); };
    drawing->device = std::move(shader);
    drawing->deviceName = std::string("shader device (") + glProfileName(profileOf(c)) + ")";
  }
  if (!problem.empty()) return nullptr;
  return drawing;
}

}  // namespace

std::unique_ptr<WindowDrawing> makeWindowDrawing(RendererChoice choice, const WindowRequest& request,
                                                 TextureFilter filter, std::string& error) {
  const std::vector<RendererChoice> tries =
      choice == RendererChoice::Auto
          ? std::vector<RendererChoice>{RendererChoice::Gl, RendererChoice::Gles, RendererChoice::Compat}
          : std::vector<RendererChoice>{choice};
  std::string lacks, firstProblem;
  bool sameProblem = true;  // no display, say: every try fails alike, so say it once
  for (RendererChoice c : tries) {
    std::string problem;
    if (auto drawing = tryWindow(c, request, filter, problem)) return drawing;
    if (firstProblem.empty()) firstProblem = problem;
    sameProblem = sameProblem && problem == firstProblem;
    lacks += std::string(lacks.empty() ? "" : "; ") + rendererName(c) + ": " + problem;
  }
  if (sameProblem && firstProblem.rfind("cannot open a window", 0) == 0) {
    error = firstProblem;
    return nullptr;
  }
  error = "no OpenGL device could be made in the window (" + lacks + ")";
  error += choice != RendererChoice::Auto
               ? "; try --renderer auto"
               : "; it needs OpenGL 3.3 core, OpenGL ES 3.0 or OpenGL 4.5 compatibility with 8 stencil bits";
  return nullptr;
}

int printGlInfo(RendererChoice choice, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<OffscreenDrawing> drawing = makeOffscreenDrawing(choice, 64, 64, TextureFilter::Point, nullptr, error);
  if (!drawing) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  const GlContextInfo info = currentGlContextInfo();
  out << "renderer: " << rendererName(drawing->made) << '\n'
      << "device: " << drawing->deviceName << '\n'
      << "vendor: " << info.vendor << '\n'
      << "renderer string: " << info.renderer << '\n'
      << "version: " << info.version << '\n'
      << "shading language: " << info.shadingLanguage << '\n'
      << "depth bits: " << info.depthBits << '\n'
      << "stencil bits: " << info.stencilBits << '\n'
      << "samples: " << info.samples << '\n';
  return 0;
}

}  // namespace cog
