// The floor under window_start_bench: the game's own window and GL device,
// opened exactly as the game opens them (same context, same sample memo),
// drawing one triangle and presenting it, with no level, no sound and no
// game. What window_start_bench measures above this is the game's own.
//
// It takes the game's command line as the benchmark passes it and reads
// only --renderer and --trace: "frame" goes to the trace file after the
// first frame, as the game's first trace line does.

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "app/render_choice.h"
#include "app/sample_memo.h"
#include "app/settings.h"
#include "level/mesh_record.h"

int main(int argc, char** argv) {
  using namespace cog;
  RendererChoice choice = RendererChoice::Auto;
  std::string tracePath;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--trace") == 0) tracePath = argv[i + 1];
    if (std::strcmp(argv[i], "--renderer") == 0) {
      const std::string name = argv[i + 1];
      for (RendererChoice c : {RendererChoice::Gl, RendererChoice::Gles, RendererChoice::Compat})
        if (name == rendererName(c)) choice = c;
    }
  }
  WindowRequest request;
  request.width = Settings{}.windowWidth;
  request.height = Settings{}.windowHeight;
  std::string error;
  std::unique_ptr<WindowDrawing> drawing =
      makeWindowDrawing(choice, request, TextureFilter::Point, error, defaultSampleMemoPath());
  if (!drawing) {
    std::cerr << "bare_window: " << error << '\n';
    return 1;
  }
  int width = 0, height = 0;
  drawing->window->drawableSize(width, height);
  drawing->setBackBufferSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
  drawing->window->show();

  // One triangle in the game's vertex format, straight through the device's
  // default (identity) transforms.
  const MeshVertex triangle[3] = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0, 0, 0, 0},
                                  {0.0f, 0.5f, 0.5f, 0, 0, -1, 0, 0, 0, 0},
                                  {0.5f, -0.5f, 0.5f, 0, 0, -1, 0, 0, 0, 0}};
  RenderDevice& device = *drawing->device;
  std::unique_ptr<VertexBuffer> buffer = device.CreateVertexBuffer(triangle, sizeof triangle, kMeshFvf, error);
  if (!buffer) {
    std::cerr << "bare_window: " << error << '\n';
    return 1;
  }
  device.Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF202020u, 1.0f, 0);
  device.BeginScene();
  device.SetStreamSource(0, buffer.get(), kMeshVertexStride);
  device.SetVertexShader(kMeshFvf);
  device.DrawPrimitive(PrimitiveType::TriangleList, 0, 1);
  device.EndScene();
  device.Present();
  if (!tracePath.empty()) std::ofstream(tracePath) << "frame\n";
  return 0;
}
