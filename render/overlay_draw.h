#pragma once
// Drawing what is laid over the finished picture: flat boxes, lines of
// text in the game's bitmap font (render/overlay_font.h), and a kept frame
// stretched over the viewport. Presentation only; the game's passes never
// call it. Everything is in pixels of the current viewport, from its top
// left, drawn without depth or stencil, lit only by the material's
// emissive colour and blended by its alpha.

#include <memory>
#include <string>
#include <vector>

#include "seams/render_device.h"

namespace cog {

struct OverlayBox {
  float x = 0, y = 0, width = 0, height = 0;
  ColorValue colour;  // alpha: how much of it covers the picture
};

struct OverlayText {
  std::string text;  // one line
  float x = 0, y = 0;  // top left of the first glyph's cell
  float scale = 1;     // screen pixels per font pixel
  ColorValue colour;
};

struct Overlay {
  // Drawn first over the whole viewport: a frame the device kept
  // (RenderDevice::KeepFrame), its rows top first like every texture's.
  const Texture* keptFrame = nullptr;
  std::vector<OverlayBox> boxes;   // then these, in order
  std::vector<OverlayText> texts;  // then these

  bool empty() const { return keptFrame == nullptr && boxes.empty() && texts.empty(); }
};

// How wide a line of text is in pixels at `scale`.
float textWidth(const std::string& text, float scale);

// Geometry of an overlay: 40-byte mesh vertices (kMeshFvf), two triangles
// per box, per run of lit glyph pixels in a row, and for the kept frame.
struct OverlayMesh {
  std::vector<float> vertices;  // 10 floats a vertex
  struct Part {
    uint32_t firstVertex = 0, vertexCount = 0;
    ColorValue colour;
    bool keptFrame = false;
  };
  std::vector<Part> parts;
};
OverlayMesh buildOverlayMesh(const Overlay& overlay, const Viewport& viewport);

// Draws the overlay in the device's current viewport. The states it sets
// stay set: the caller puts the game's back. `buffer` keeps the vertex
// buffer between frames; false with `error` when it cannot be made.
bool drawOverlay(RenderDevice& device, const Overlay& overlay, std::unique_ptr<VertexBuffer>& buffer,
                 std::string& error);

}  // namespace cog
