#pragma once
// A render device that draws nothing and records every call in order, for
// tests and headless runs. Textures really are read and decoded, so a missing
// or broken image fails here exactly as it does with the real renderer;
// tests and fuzzing of the level files may switch that off and have
// textures made from their names alone.
//
// By default only the current frame is kept: BeginScene drops what came
// before it (except the frame's own Clear just before it), so a long headless
// run does not grow the list for ever. Tests may keep everything, or switch
// recording off altogether.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "seams/render_device.h"

namespace cog {

enum class CallKind : uint8_t {
  CreateVertexBuffer,  // a: buffer id, b: length in bytes, c: vertex format
  CreateTexture,       // a: texture id, b: width, c: height
  Clear,               // a: flags, b: colour, c: stencil, depth: z
  BeginScene,
  EndScene,
  Present,
  SetRenderState,        // a: state, b: value
  SetTextureStageState,  // a: stage, b: type, c: value
  SetTexture,            // a: stage, b: texture id (0: none)
  SetTransform,          // a: kind, matrix
  GetTransform,          // a: kind, matrix: what was returned
  SetLight,              // a: index, light
  LightEnable,           // a: index, b: 1 or 0
  SetMaterial,           // material
  SetStreamSource,       // a: stream, b: buffer id (0: none), c: stride
  SetVertexShader,       // a: vertex format
  DrawPrimitive,         // a: primitive type, b: start vertex, c: primitive count
  SetViewport,           // viewport
  GetViewport,           // viewport: what was returned
};

const char* callKindName(CallKind kind);

struct RecordedCall {
  CallKind kind = CallKind::BeginScene;
  uint32_t a = 0, b = 0, c = 0;
  float depth = 0.0f;
  std::variant<std::monostate, Matrix4, Material, Light, Viewport> payload;

  const Matrix4& matrix() const { return std::get<Matrix4>(payload); }
  const Material& material() const { return std::get<Material>(payload); }
  const Light& light() const { return std::get<Light>(payload); }
  const Viewport& viewport() const { return std::get<Viewport>(payload); }
};

// A short one-line text of a call, e.g. "SetRenderState(27, 1)", for test
// failure messages.
std::string describeCall(const RecordedCall& call);
// One call a line.
std::string describeCalls(const std::vector<RecordedCall>& calls);

class RecordingDevice : public RenderDevice {
 public:
  enum class Keep {
    CurrentFrame,  // BeginScene drops the calls before the frame (default)
    Everything,    // keep every call until clearCalls
    Nothing,       // record nothing
  };

  // The back buffer it stands for: the game window's 512 x 512.
  static constexpr uint32_t kBackBufferSize = 512;

  RecordingDevice() = default;

  void setKeep(Keep keep) { keep_ = keep; }
  Keep keep() const { return keep_; }
  void setRecording(bool on) { keep_ = on ? Keep::CurrentFrame : Keep::Nothing; }
  // Off: CreateTextureFromFile reads no file and makes a 1 x 1 texture of
  // any name. On by default.
  void setDecodeImages(bool on) { decodeImages_ = on; }

  const std::vector<RecordedCall>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  std::vector<RecordedCall> takeCalls() {
    std::vector<RecordedCall> out;
    out.swap(calls_);
    return out;
  }

  // The file a texture id was made from ("" for an unknown id).
  std::string textureFileName(uint32_t id) const;
  uint32_t texturesCreated() const { return static_cast<uint32_t>(textureNames_.size()); }
  uint32_t buffersCreated() const { return nextBufferId_ - 1; }

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

 private:
  // The new entry, or null while recording is off.
  RecordedCall* record(CallKind kind, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) const;

  Keep keep_ = Keep::CurrentFrame;
  bool decodeImages_ = true;
  mutable std::vector<RecordedCall> calls_;  // GetTransform is const but recorded
  Matrix4 world_ = Matrix4::identity();
  Matrix4 view_ = Matrix4::identity();
  Matrix4 projection_ = Matrix4::identity();
  Viewport viewport_{0, 0, kBackBufferSize, kBackBufferSize, 0.0f, 1.0f};
  std::vector<std::string> textureNames_;  // index id - 1
  uint32_t nextBufferId_ = 1;
};

}  // namespace cog
