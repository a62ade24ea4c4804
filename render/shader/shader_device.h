#pragma once
// The shader render device: the game's Direct3D 8 fixed-function states
// drawn with shaders only, written once for GL 3.3 core, OpenGL ES 3.0 and
// WebGL 2 (their common subset; no compatibility-profile call).
//
// - Depth: the projection's Direct3D 0..w depth is remapped in the vertex
//   shader and the viewport's MinZ..MaxZ is GL's depth range, so the
//   mirror's far-depth step works without clip control.
// - Lighting: Direct3D 8's vertex lighting in the vertex shader, per vertex
//   (ranges included), with the material and global ambient.
// - Texture stages and lighting select a program variant, compiled once and
//   cached; uniforms go up only when they changed for that program;
//   textures, buffers and GL state are set only when they change.
// - The rest is shared with the GL device (render/gpu): the Direct3D
//   defaults, the stencil-bounds scissor, buffers' boxes, texture rules.
//
// A GL 3.3 core or OpenGL ES 3.0 context must be current for the device's
// whole life. Files: shader_device.cpp (construction, creation, clears,
// setters), shader_device_draw.cpp (state application and draws),
// shader_programs.cpp (sources and variants), gl_api.h (the GL functions).

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
#include "render/shader/gl_dialect.h"
#include "seams/render_device.h"

namespace cog {

class ProgramCache;
struct ShaderProgram;

class ShaderDevice : public RenderDevice {
 public:
  // `getProc` loads the GL functions of `dialect` (the platform's
  // SDL_GL_GetProcAddress; ignored where GL is linked directly). The
  // context's viewport at this moment is the back buffer's size.
  ShaderDevice(GlDialect dialect, GlProcLoader getProc, std::function<void()> present,
               TextureFilter filter = TextureFilter::Point);
  ~ShaderDevice() override;
  ShaderDevice(const ShaderDevice&) = delete;
  ShaderDevice& operator=(const ShaderDevice&) = delete;

  // False when the context lacks what the device needs; `problem` then
  // names every missing part.
  bool usable() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }

  void setBackBufferSize(uint32_t width, uint32_t height);

  // Images decoded ahead, taken by CreateTextureFromFile before it reads a
  // file itself; null: none. Not owned.
  void setImagePrefetch(ImagePrefetch* prefetch) { prefetch_ = prefetch; }

  uint64_t skippedDraws() const { return skippedDraws_; }
  uint64_t stencilCulledDraws() const { return stencilCulledDraws_; }
  uint64_t drawsMade() const { return drawsMade_; }  // that reached GL
  // Program variants compiled so far (none after the first frames).
  uint64_t programsCompiled() const;

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

  static constexpr uint32_t kLightSlots = 8;

 private:
  struct LightSlot {
    Light light;
    bool enabled = false;
    bool set = false;
  };

  void forget(ResourceRegistry::Kind kind, uint32_t name);
  void applyRenderStates();
  void applyViewport();
  bool applyStencilScissor();
  bool applyProgram();  // false: no program could be made
  void uploadUniforms(ShaderProgram& p);
  void applyTextures();
  void applyStream();
  void setWriteMasks();

  GlDialect dialect_;
  std::function<void()> present_;
  std::string problem_;
  std::shared_ptr<ResourceRegistry> registry_;
  std::unique_ptr<ProgramCache> programs_;
  TextureFilter filter_ = TextureFilter::Point;
  ImagePrefetch* prefetch_ = nullptr;

  uint32_t backBufferWidth_ = 0, backBufferHeight_ = 0;
  Viewport viewport_;
  bool viewportDirty_ = true;

  uint32_t renderState_[kRenderStates] = {};
  uint32_t appliedRenderState_[kRenderStates] = {};
  uint32_t stageState_[kStages][kStageStates] = {};
  uint32_t stageTexture_[kStages] = {};         // GL names; 0: none (white)
  uint32_t appliedStageTexture_[kStages] = {};  // ~0: not known
  uint32_t appliedProgram_ = 0;

  Matrix4 world_ = Matrix4::identity();
  Matrix4 view_ = Matrix4::identity();
  Matrix4 projection_ = Matrix4::identity();
  LightSlot lights_[kLightSlots];
  Material material_;
  // Versions of the uniform groups (see shader_programs.h).
  uint64_t transformVersion_ = 1, lightVersion_ = 1, materialVersion_ = 1;

  uint32_t vertexArray_ = 0;
  uint32_t streamBuffer_ = 0, streamLength_ = 0, streamStride_ = 0;
  BoxBounds streamBounds_;
  bool streamDirty_ = true;
  uint32_t vertexFormat_ = 0;

  uint32_t whiteTexture_ = 0;
  int maxTextureSize_ = 0;
  uint32_t nextTextureId_ = 1, nextBufferId_ = 1;
  uint64_t skippedDraws_ = 0, stencilCulledDraws_ = 0, drawsMade_ = 0;
  std::string programError_;

  StencilBounds stencilBounds_;
  // The kept frame (KeepFrame) and the framebuffer that copies into it;
  // a multisampled frame is resolved into the second pair on the way.
  std::unique_ptr<DeviceTexture> makeFrameTexture(int width, int height, uint32_t& framebuffer);
  std::unique_ptr<DeviceTexture> keptFrame_, resolvedFrame_;
  uint32_t keptFramebuffer_ = 0, resolvedFramebuffer_ = 0;
  ScissorTracker scissor_;
};

}  // namespace cog
