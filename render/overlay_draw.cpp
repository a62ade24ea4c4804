// Laying boxes, text and a kept frame over the picture through the render device.
#include "render/overlay_draw.h"

#include <cstring>

#include "render/overlay_font.h"

namespace cog {

namespace {

constexpr uint32_t kFloatsPerVertex = kMeshVertexStride / sizeof(float);

void addVertex(std::vector<float>& v, float x, float y, float u, float t) {
  const float vertex[kFloatsPerVertex] = {x, y, 0.5f, 0.0f, 0.0f, -1.0f, u, t, u, t};
  v.insert(v.end(), vertex, vertex + kFloatsPerVertex);
}

// Two triangles; (u0, t0) at the top left, (u1, t1) at the bottom right.
void addQuad(std::vector<float>& v, float x0, float y0, float x1, float y1, float u0 = 0, float t0 = 0,
             float u1 = 0, float t1 = 0) {
  addVertex(v, x0, y0, u0, t0);
  addVertex(v, x1, y0, u1, t0);
  addVertex(v, x0, y1, u0, t1);
  addVertex(v, x1, y0, u1, t0);
  addVertex(v, x1, y1, u1, t1);
  addVertex(v, x0, y1, u0, t1);
}

uint32_t vertexCount(const std::vector<float>& v) { return static_cast<uint32_t>(v.size() / kFloatsPerVertex); }

// Pixels of the viewport to Direct3D's clip space: x right, y down from
// the top left, depth passed through.
Matrix4 pixelProjection(const Viewport& viewport) {
  Matrix4 m = Matrix4::identity();
  const float w = viewport.width > 0 ? static_cast<float>(viewport.width) : 1.0f;
  const float h = viewport.height > 0 ? static_cast<float>(viewport.height) : 1.0f;
  m.m[0][0] = 2.0f / w;
  m.m[1][1] = -2.0f / h;
  m.m[3][0] = -1.0f;
  m.m[3][1] = 1.0f;
  return m;
}

}  // namespace

float textWidth(const std::string& text, float scale) {
  if (text.empty()) return 0.0f;
  return static_cast<float>(text.size() * kGlyphAdvance - 1) * scale;
}

OverlayMesh buildOverlayMesh(const Overlay& overlay, const Viewport& viewport) {
  OverlayMesh mesh;
  auto part = [&mesh](uint32_t first, const ColorValue& colour, bool kept) {
    const uint32_t count = vertexCount(mesh.vertices) - first;
    if (count > 0) mesh.parts.push_back({first, count, colour, kept});
  };
  if (overlay.keptFrame != nullptr) {
    addQuad(mesh.vertices, 0, 0, static_cast<float>(viewport.width), static_cast<float>(viewport.height), 0, 0, 1,
            1);
    part(0, ColorValue{0, 0, 0, 1}, true);
  }
  for (const OverlayBox& box : overlay.boxes) {
    const uint32_t first = vertexCount(mesh.vertices);
    addQuad(mesh.vertices, box.x, box.y, box.x + box.width, box.y + box.height);
    part(first, box.colour, false);
  }
  for (const OverlayText& text : overlay.texts) {
    const uint32_t first = vertexCount(mesh.vertices);
    const float s = text.scale;
    for (size_t i = 0; i < text.text.size(); ++i) {
      const float left = text.x + static_cast<float>(i * kGlyphAdvance) * s;
      for (int row = 0; row < kGlyphHeight; ++row) {
        // One quad per run of lit pixels in the row.
        for (int col = 0; col < kGlyphWidth;) {
          if (!glyphPixel(text.text[i], col, row)) {
            ++col;
            continue;
          }
          int end = col;
          while (end < kGlyphWidth && glyphPixel(text.text[i], end, row)) ++end;
          addQuad(mesh.vertices, left + static_cast<float>(col) * s, text.y + static_cast<float>(row) * s,
                  left + static_cast<float>(end) * s, text.y + static_cast<float>(row + 1) * s);
          col = end;
        }
      }
    }
    part(first, text.colour, false);
  }
  return mesh;
}

bool drawOverlay(RenderDevice& device, const Overlay& overlay, std::unique_ptr<VertexBuffer>& buffer,
                 std::string& error) {
  if (overlay.empty()) return true;
  const Viewport viewport = device.GetViewport();
  const OverlayMesh mesh = buildOverlayMesh(overlay, viewport);
  if (mesh.parts.empty()) return true;
  const uint32_t bytes = static_cast<uint32_t>(mesh.vertices.size() * sizeof(float));
  // A new buffer for every frame whose overlay changed: they are small.
  buffer = device.CreateVertexBuffer(mesh.vertices.data(), bytes, kMeshFvf, error);
  if (!buffer) return false;

  device.SetRenderState(RenderState::ZEnable, 0u);
  device.SetRenderState(RenderState::ZWriteEnable, 0u);
  device.SetRenderState(RenderState::StencilEnable, 0u);
  device.SetRenderState(RenderState::CullMode, Cull::None);
  device.SetRenderState(RenderState::AlphaBlendEnable, 1u);
  device.SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device.SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  device.SetRenderState(RenderState::Lighting, 1u);
  device.SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
  device.SetTextureStageState(0, TextureStageState::AlphaArg1, TextureArg::Diffuse);
  device.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Diffuse);
  device.SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Disable);
  device.SetTextureStageState(1, TextureStageState::AlphaOp, TextureOp::Disable);
  device.SetTexture(1, nullptr);
  device.SetTransform(TransformKind::World, Matrix4::identity());
  device.SetTransform(TransformKind::View, Matrix4::identity());
  device.SetTransform(TransformKind::Projection, pixelProjection(viewport));
  device.SetVertexShader(kMeshFvf);
  device.SetStreamSource(0, buffer.get(), kMeshVertexStride);
  for (const OverlayMesh::Part& part : mesh.parts) {
    // Only the emissive colour lights it; the alpha is the material's.
    Material material;
    material.emissive = part.colour;
    material.diffuse.a = part.colour.a;
    device.SetMaterial(material);
    if (part.keptFrame) {
      device.SetTexture(0, overlay.keptFrame);
      device.SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
      device.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Texture);
    } else {
      device.SetTexture(0, nullptr);
      device.SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
      device.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Diffuse);
    }
    device.DrawPrimitive(PrimitiveType::TriangleList, part.firstVertex, part.vertexCount / 3);
  }
  return true;
}

}  // namespace cog
