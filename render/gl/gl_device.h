#pragma once
// The OpenGL render device: the game's Direct3D 8 fixed-function states
// translated to OpenGL's fixed-function pipeline (compatibility context).
// The only file with GL calls is gl_device.cpp.
//
// State is kept as the Direct3D values the game set and translated lazily:
// each DrawPrimitive converts only what changed since the previous draw.
//
// Where GL has no exact counterpart:
//  - GL lights have no Range: a light is switched off for a draw when its
//    range ends short of the whole drawn buffer, and lights all of it
//    otherwise (Direct3D decides vertex by vertex);
//  - ALPHAOP DISABLE on a stage whose colour operation runs passes the
//    alpha of the stage before on (COLOROP DISABLE ends the stage chain);
//  - pixel centres are GL's, half a pixel from Direct3D 8's;
//  - Clear clears the viewport's rectangle (scissored) like Direct3D's
//    Clear without rectangles;
//  - draws that test "stencil equal to a non-zero value" are scissored to
//    where the stencil can be non-zero (see stencil_bounds.h): the same
//    picture, far less work for a software rasteriser.
//
// The device needs a current GL context (4.5, or any with
// ARB_clip_control) for its whole life. Textures and vertex buffers it made
// may outlive it: it frees their GL names as it goes, and they then make no
// GL call (render/gpu/resource_registry.h).
//
// Files: gl_device.cpp (construction, creation, clears, setters),
// gl_device_draw.cpp (state application and draws), gl_tables.cpp
// (Direct3D numbers to GL); what needs no GL (the textures and buffers,
// bounds, defaults) is in render/gpu.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/gpu/d3d_state.h"
#include "render/gpu/draw_bounds.h"
#include "render/gpu/resource_registry.h"
#include "render/gpu/stencil_bounds.h"
#include "render/gpu/texture_rules.h"
#include "seams/render_device.h"

namespace cog {

class GlDevice : public RenderDevice {
 public:
  // `present` shows the finished frame (the platform swaps the window's
  // buffers). A GL context must be current; its viewport at this moment is
  // taken as the size of the back buffer.
  explicit GlDevice(std::function<void()> present, TextureFilter filter = TextureFilter::Point);
  ~GlDevice() override;
  GlDevice(const GlDevice&) = delete;
  GlDevice& operator=(const GlDevice&) = delete;

  // False when the context lacks what the device needs (depth 0..1 clip
  // control, a depth buffer, 8 stencil bits, two texture units, the fixed
  // pipeline); `problem` then names every missing part.
  bool usable() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }

  // The back buffer changed size (the window's drawable was resized): the
  // viewport becomes the whole of it, as after a Direct3D device reset.
  void setBackBufferSize(uint32_t width, uint32_t height);

  // Images decoded ahead, taken by CreateTextureFromFile before it reads a
  // file itself; null: none. Not owned.
  void setImagePrefetch(ImagePrefetch* prefetch) { prefetch_ = prefetch; }

  // How many draws were skipped (no primitives, no usable stream, or a
  // range past the end of the buffer); for tests and diagnostics.
  uint64_t skippedDraws() const { return skippedDraws_; }
  // How many draws were left out because no pixel could pass their stencil
  // test (the mirror out of sight).
  uint64_t stencilCulledDraws() const { return stencilCulledDraws_; }
  // How many draws reached GL.
  uint64_t drawsMade() const { return drawsMade_; }

  // RenderDevice.
  std::unique_ptr<VertexBuffer> CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                   std::string& error) override;
  std::unique_ptr<Texture> CreateTextureFromFile(const std::string& fileName, std::string& error) override;
  void Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) override;
  void BeginScene() override;
  void EndScene() override;
  int32_t Present() override;
  using RenderDevice::SetRenderState;  // the typed forms
  using RenderDevice::SetTextureStageState;
  void SetRenderState(RenderState state, uint32_t value) override;
  void SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) override;
  void SetTexture(uint32_t stage, const Texture* texture) override;
  void SetTransform(TransformKind kind, const Matrix4& m) override;
  Matrix4 GetTransform(TransformKind kind) const override;
  void SetViewport(const Viewport& viewport) override;
  Viewport GetViewport() const override;
  void SetLight(uint32_t index, const Light& light) override;
  void LightEnable(uint32_t index, bool enable) override;
  void SetMaterial(const Material& material) override;
  void SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) override;
  void SetVertexShader(uint32_t fvf) override;
  void DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
  const Texture* KeepFrame() override;

 private:
  // Called through the registry as this device's textures and buffers are
  // freed, so that a freed one is never drawn from.
  void forgetTexture(uint32_t glName);
  void forgetBuffer(uint32_t glName);

  struct StageBinding {
    uint32_t texture = 0;  // GL name; 0: none (the white texture stands in)
  };
  struct LightSlot {
    Light light;
    bool enabled = false;
    bool set = false;
  };

  void applyRenderStates();
  void applyStages();
  void applyLights();
  void applyTransforms();
  void applyStream();
  void applyViewport();
  bool applyStencilScissor();  // false: the draw can change nothing
  void noteMissingParts();
  void setDepthAndStencilMasks();

  std::function<void()> present_;
  std::string problem_;
  std::shared_ptr<ResourceRegistry> registry_;
  TextureFilter filter_ = TextureFilter::Point;
  ImagePrefetch* prefetch_ = nullptr;

  uint32_t backBufferWidth_ = 0;
  uint32_t backBufferHeight_ = 0;
  Viewport viewport_;
  bool viewportDirty_ = true;

  // What the game set, and what GL has now.
  uint32_t renderState_[kRenderStates] = {};
  uint32_t appliedRenderState_[kRenderStates] = {};
  uint32_t stageState_[kStages][kStageStates] = {};
  uint32_t appliedStageState_[kStages][kStageStates] = {};
  StageBinding stageTexture_[kStages];
  StageBinding appliedStageTexture_[kStages];
  int8_t appliedUnitEnabled_[kStages] = {-1, -1};  // -1: not known yet
  bool appliedCombineValid_[kStages] = {};
  bool stagesDirty_ = true;

  Matrix4 world_ = Matrix4::identity();
  Matrix4 view_ = Matrix4::identity();
  Matrix4 projection_ = Matrix4::identity();
  bool modelViewDirty_ = true;
  bool projectionDirty_ = true;

  std::vector<LightSlot> lights_;  // one per GL light
  std::vector<int8_t> appliedLightOn_;  // -1: not known yet
  bool lightParamsDirty_ = true;
  bool lightPositionsDirty_ = true;
  int8_t appliedLighting_ = -1;  // -1: not known yet

  Material material_;
  bool materialDirty_ = true;

  uint32_t streamBuffer_ = 0;  // GL name; 0: none
  uint32_t streamLength_ = 0;
  uint32_t streamStride_ = 0;
  BoxBounds streamBounds_;
  bool streamDirty_ = true;
  uint32_t vertexFormat_ = 0;

  uint32_t whiteTexture_ = 0;
  int maxTextureSize_ = 0;
  uint32_t nextTextureId_ = 1;
  uint32_t nextBufferId_ = 1;
  uint64_t skippedDraws_ = 0;
  uint64_t stencilCulledDraws_ = 0;
  uint64_t drawsMade_ = 0;

  StencilBounds stencilBounds_;
  // The kept frame (KeepFrame) and the framebuffer that copies into it;
  // a multisampled frame is resolved into the second pair on the way.
  std::unique_ptr<DeviceTexture> makeFrameTexture(int width, int height, uint32_t& framebuffer);
  std::unique_ptr<DeviceTexture> keptFrame_, resolvedFrame_;
  uint32_t keptFramebuffer_ = 0, resolvedFramebuffer_ = 0;
  ScissorTracker scissor_;
};

}  // namespace cog
