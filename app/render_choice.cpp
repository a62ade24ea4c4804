// The --renderer choice: the GL devices tried in order on an offscreen surface, and --gl-info.
#include "app/render_choice.h"

#include <ostream>
#include <vector>

#include "app/draw_options.h"
#include "app/sample_memo.h"
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

// The GL sample memo at `path` while surfaces are made: read first, kept
// afterwards when the tries learnt something; none for no path (every try
// asks).
class MemoFile {
 public:
  explicit MemoFile(std::string path) : path_(std::move(path)), memo_(readSampleMemo(path_)) {}
  ~MemoFile() {
    if (memo_.learned) writeSampleMemo(path_, memo_);
  }
  MemoFile(const MemoFile&) = delete;
  MemoFile& operator=(const MemoFile&) = delete;
  GlSampleMemo* get() { return path_.empty() ? nullptr : &memo_; }

 private:
  std::string path_;
  GlSampleMemo memo_;
};

// The device for `c` on the current context, its name, and a window's
// hooks into it; `problem` says what the context lacks for it.
struct MadeDevice {
  std::unique_ptr<RenderDevice> device;
  std::string name;
  std::function<void(uint32_t, uint32_t)> setBackBufferSize;
  std::function<void(ImagePrefetch*)> setImagePrefetch;
};

template <typename Device>
MadeDevice madeOf(std::unique_ptr<Device> device, std::string name, std::string& problem) {
  MadeDevice made;
  problem = device->problem();
  Device* d = device.get();
  made.setBackBufferSize = [d](uint32_t w, uint32_t h) { d->setBackBufferSize(w, h); };
  made.setImagePrefetch = [d](ImagePrefetch* p) { d->setImagePrefetch(p); };
  made.device = std::move(device);
  made.name = std::move(name);
  return made;
}

MadeDevice makeDevice(RendererChoice c, std::function<void()> present, TextureFilter filter, std::string& problem) {
  if (c == RendererChoice::Compat)
    return madeOf(std::make_unique<GlDevice>(std::move(present), filter), "fixed-function device (OpenGL compatibility)",
                  problem);
  return madeOf(std::make_unique<ShaderDevice>(c == RendererChoice::Gles ? GlDialect::Gles30 : GlDialect::Gl33Core,
                                               glProcAddress, std::move(present), filter),
                std::string("shader device (") + glProfileName(profileOf(c)) + ")", problem);
}

std::unique_ptr<OffscreenDrawing> tryOne(RendererChoice c, int width, int height, TextureFilter filter,
                                         const std::function<void()>& beforeSwap, std::string& problem,
                                         GlSampleMemo* memo) {
  auto drawing = std::make_unique<OffscreenDrawing>();
  drawing->surface = OffscreenGl::create(width, height, kGameGlSamples, problem, profileOf(c), memo);
  if (!drawing->surface) return nullptr;
  OffscreenGl* surface = drawing->surface.get();
  auto present = [surface, beforeSwap] {
    if (beforeSwap) beforeSwap();
    surface->swap();
  };
  drawing->made = c;
  MadeDevice made = makeDevice(c, present, filter, problem);
  drawing->device = std::move(made.device);
  drawing->deviceName = std::move(made.name);
  if (!problem.empty()) return nullptr;
  return drawing;
}

}  // namespace

std::unique_ptr<OffscreenDrawing> makeOffscreenDrawing(RendererChoice choice, int width, int height,
                                                       TextureFilter filter, std::function<void()> beforeSwap,
                                                       std::string& error, const std::string& sampleMemoPath) {
  MemoFile memo(sampleMemoPath);
  const std::vector<RendererChoice> tries =
      choice == RendererChoice::Auto
          ? std::vector<RendererChoice>{RendererChoice::Gl, RendererChoice::Gles, RendererChoice::Compat}
          : std::vector<RendererChoice>{choice};
  std::string lacks;
  for (RendererChoice c : tries) {
    std::string problem;
    if (auto drawing = tryOne(c, width, height, filter, beforeSwap, problem, memo.get())) return drawing;
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
  MadeDevice made = makeDevice(c, present, filter, problem);
  drawing->device = std::move(made.device);
  drawing->deviceName = std::move(made.name);
  drawing->setBackBufferSize = std::move(made.setBackBufferSize);
  drawing->setImagePrefetch = std::move(made.setImagePrefetch);
  if (!problem.empty()) return nullptr;
  return drawing;
}

}  // namespace

std::unique_ptr<WindowDrawing> makeWindowDrawing(RendererChoice choice, WindowRequest request, TextureFilter filter,
                                                 std::string& error, const std::string& sampleMemoPath) {
  MemoFile memo(sampleMemoPath);
  request.sampleMemo = memo.get();
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

int printGlInfo(const DrawOptions& draw, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<OffscreenDrawing> drawing =
      makeOffscreenDrawing(draw.renderer, 64, 64, TextureFilter::Point, nullptr, error, draw.sampleMemoPath);
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
