#pragma once
// The render device a presenting run hands the game: every call goes on to
// the real device, and at each Present the frame is first kept (when
// asked) and the presentation's overlay drawn over it; then the states the
// game had set are put back, so its next frame is drawn exactly as without
// the overlay. A paused game's picture is its kept frame with the overlay.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "render/overlay_draw.h"
#include "seams/render_device.h"

namespace cog {

class OverlayDevice : public RenderDevice {
 public:
  explicit OverlayDevice(RenderDevice& inner) : inner_(inner) {}

  // Asked at every Present for what to lay over the picture.
  void setOverlay(std::function<Overlay(const Viewport&)> overlay) { overlay_ = std::move(overlay); }
  // Keep every frame (before the overlay) for presentKept.
  void setKeepFrames(bool keep) { keepFrames_ = keep; }
  // Draws the last kept frame (black when there is none) with the overlay
  // and presents it; the game's states are put back.
  void presentKept();
  // The overlay's last drawing problem, if any (it is then left out).
  const std::string& problem() const { return problem_; }

  // RenderDevice: on to the real device.
  std::unique_ptr<VertexBuffer> CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                   std::string& error) override {
    return inner_.CreateVertexBuffer(data, lengthBytes, fvf, error);
  }
  std::unique_ptr<Texture> CreateTextureFromFile(const std::string& fileName, std::string& error) override {
    return inner_.CreateTextureFromFile(fileName, error);
  }
  void Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) override {
    inner_.Clear(flags, color, z, stencil);
  }
  void BeginScene() override { inner_.BeginScene(); }
  void EndScene() override { inner_.EndScene(); }
  int32_t Present() override;
  using RenderDevice::SetRenderState;
  using RenderDevice::SetTextureStageState;
  void SetRenderState(RenderState state, uint32_t value) override;
  void SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) override;
  void SetTexture(uint32_t stage, const Texture* texture) override;
  void SetTransform(TransformKind kind, const Matrix4& m) override { inner_.SetTransform(kind, m); }
  Matrix4 GetTransform(TransformKind kind) const override { return inner_.GetTransform(kind); }
  void SetViewport(const Viewport& viewport) override { inner_.SetViewport(viewport); }
  Viewport GetViewport() const override { return inner_.GetViewport(); }
  void SetLight(uint32_t index, const Light& light) override { inner_.SetLight(index, light); }
  void LightEnable(uint32_t index, bool enable) override { inner_.LightEnable(index, enable); }
  void SetMaterial(const Material& material) override;
  void SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) override;
  void SetVertexShader(uint32_t fvf) override;
  void DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override {
    inner_.DrawPrimitive(type, startVertex, primitiveCount);
  }
  const Texture* KeepFrame() override { return inner_.KeepFrame(); }

 private:
  // Draws the overlay, or with `background` that alone, and puts the
  // game's states back.
  void drawOverlay(const Texture* background);
  void restoreGameStates();

  RenderDevice& inner_;
  std::function<Overlay(const Viewport&)> overlay_;
  bool keepFrames_ = false;
  const Texture* kept_ = nullptr;
  std::unique_ptr<VertexBuffer> buffer_;
  std::unique_ptr<VertexBuffer> keptBuffer_;  // the kept frame's quad
  std::string problem_;

  // What the game set last (what the overlay changes is put back from here).
  std::map<uint32_t, uint32_t> renderStates_;
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> stageStates_;
  const Texture* textures_[2] = {nullptr, nullptr};
  Material material_;
  const VertexBuffer* stream_ = nullptr;
  uint32_t streamStride_ = 0;
  uint32_t vertexShader_ = 0;
};

}  // namespace cog
