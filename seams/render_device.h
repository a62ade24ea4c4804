#pragma once
// The render device: exactly the calls the game makes, with the numbers the
// game knows them by. Backends: render/rec (records the calls, draws nothing)
// and render/gl (OpenGL). Game code talks only to this interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/matrix.h"
#include "base/result.h"
#include "base/vec3.h"

namespace cog {

// Each family of Direct3D 8 numbers the game uses is a scoped enum with
// Direct3D's own values (the names drop the D3DRS_ / D3DBLEND_ ... prefix
// and read as words: D3DRS_ZWRITEENABLE is RenderState::ZWriteEnable), so a
// state is the same number in a trace, a recorded call list, a test and a
// backend. raw() gives the number.

enum class RenderState : uint32_t {
  ZEnable = 7,
  ZWriteEnable = 14,
  SrcBlend = 19,
  DestBlend = 20,
  CullMode = 22,
  ZFunc = 23,
  AlphaBlendEnable = 27,
  StencilEnable = 52,
  StencilFail = 53,
  StencilZFail = 54,
  StencilPass = 55,
  StencilFunc = 56,
  StencilRef = 57,
  StencilMask = 58,
  StencilWriteMask = 59,
  Lighting = 137,
  Ambient = 139,
  MultisampleAntialias = 161,
};

enum class Blend : uint32_t {
  Zero = 1,
  One = 2,
  SrcColor = 3,
  InvSrcColor = 4,
  SrcAlpha = 5,
  InvSrcAlpha = 6,
  DestAlpha = 7,
  InvDestAlpha = 8,
  DestColor = 9,
  InvDestColor = 10,
  SrcAlphaSat = 11,
};

enum class Cull : uint32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };

enum class StencilOp : uint32_t {
  Keep = 1,
  Zero = 2,
  Replace = 3,
  IncrementClamp = 4,
  DecrementClamp = 5,
  Invert = 6,
  Increment = 7,
  Decrement = 8,
};

enum class Compare : uint32_t {
  Never = 1,
  Less = 2,
  Equal = 3,
  LessEqual = 4,  // the depth test's default
  Greater = 5,
  NotEqual = 6,
  GreaterEqual = 7,
  Always = 8,
};

enum class TextureStageState : uint32_t {
  ColorOp = 1,
  ColorArg1 = 2,
  ColorArg2 = 3,
  AlphaOp = 4,
  AlphaArg1 = 5,
  AlphaArg2 = 6,
};
enum class TextureOp : uint32_t { Disable = 1, SelectArg1 = 2, Modulate = 4 };
enum class TextureArg : uint32_t { Diffuse = 0, Current = 1, Texture = 2 };

enum class TransformKind : uint32_t { View = 2, Projection = 3, World = 256 };

enum class PrimitiveType : uint32_t { TriangleList = 4, TriangleStrip = 5 };

// Clear flags, combined with |.
enum class ClearFlags : uint32_t { Target = 1, ZBuffer = 2, Stencil = 4 };
constexpr ClearFlags operator|(ClearFlags a, ClearFlags b) {
  return static_cast<ClearFlags>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool any(ClearFlags flags, ClearFlags which) {
  return (static_cast<uint32_t>(flags) & static_cast<uint32_t>(which)) != 0;
}

enum class LightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

template <typename E>
constexpr uint32_t raw(E e) {
  return static_cast<uint32_t>(e);
}

// Vertex format of every mesh: position, normal, two texture pairs.
// Vertex format bits (SetVertexShader, CreateVertexBuffer).
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_NORMAL = 0x010;
constexpr uint32_t D3DFVF_TEX2 = 0x200;
constexpr uint32_t kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2;  // 0x212
constexpr uint32_t kMeshVertexStride = 40;

struct ColorValue {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};
inline bool operator==(const ColorValue& a, const ColorValue& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// D3DMATERIAL8.
struct Material {
  ColorValue diffuse;
  ColorValue ambient;
  ColorValue specular;
  ColorValue emissive;
  float power = 0.0f;
};

// D3DLIGHT8.
struct Light {
  LightType type = LightType{0};
  ColorValue diffuse;
  ColorValue specular;
  ColorValue ambient;
  Vec3 position;
  Vec3 direction;
  float range = 0.0f;
  float falloff = 0.0f;
  float attenuation0 = 0.0f;
  float attenuation1 = 0.0f;
  float attenuation2 = 0.0f;
  float theta = 0.0f;
  float phi = 0.0f;
};

// D3DVIEWPORT8: the part of the back buffer drawn to, in pixels, and the
// depth range the projected 0..1 depth is mapped into.
struct Viewport {
  uint32_t x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};
inline bool operator==(const Viewport& a, const Viewport& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.minZ == b.minZ &&
         a.maxZ == b.maxZ;
}

// A texture made from an image file; freed with its owner.
class Texture {
 public:
  virtual ~Texture() = default;
  virtual uint32_t id() const = 0;   // stable, non-zero, unique per device
  virtual int width() const = 0;
  virtual int height() const = 0;
};

// A vertex buffer; freed with its owner.
class VertexBuffer {
 public:
  virtual ~VertexBuffer() = default;
  virtual uint32_t id() const = 0;  // stable, non-zero, unique per device
  virtual uint32_t length() const = 0;  // in bytes
};

class RenderDevice {
 public:
  virtual ~RenderDevice() = default;

  // Creation. On failure the result is null and `error` says why (it names
  // the file for textures).
  virtual std::unique_ptr<VertexBuffer> CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                           std::string& error) = 0;
  virtual std::unique_ptr<Texture> CreateTextureFromFile(const std::string& fileName, std::string& error) = 0;

  // Frame.
  virtual void Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual int32_t Present() = 0;

  // State.
  // A state's value is a number, a colour, a mask, or one of the families
  // above; the typed forms below give the number.
  virtual void SetRenderState(RenderState state, uint32_t value) = 0;
  virtual void SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) = 0;
  virtual void SetTexture(uint32_t stage, const Texture* texture) = 0;  // null: none
  virtual void SetTransform(TransformKind kind, const Matrix4& m) = 0;
  virtual Matrix4 GetTransform(TransformKind kind) const = 0;
  // The viewport starts as the whole back buffer with depth range 0..1.
  virtual void SetViewport(const Viewport& viewport) = 0;
  virtual Viewport GetViewport() const = 0;
  virtual void SetLight(uint32_t index, const Light& light) = 0;
  virtual void LightEnable(uint32_t index, bool enable) = 0;
  virtual void SetMaterial(const Material& material) = 0;
  virtual void SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) = 0;
  virtual void SetVertexShader(uint32_t fvf) = 0;
  virtual void DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;

  // Presentation's, never the game's: copies the frame drawn so far into a
  // texture of the back buffer's size, its rows top first (v = 0 is the
  // top of the frame, as in every texture), so that a
  // game standing still (paused) can show its last picture again: drawing
  // the game's frame moves its models on, so it cannot simply be redrawn.
  // The texture stays the device's and holds the frame until the next
  // call; null when the device keeps no pictures (the recording device).
  virtual const Texture* KeepFrame() { return nullptr; }

  void SetRenderState(RenderState state, Blend value) { SetRenderState(state, raw(value)); }
  void SetRenderState(RenderState state, Cull value) { SetRenderState(state, raw(value)); }
  void SetRenderState(RenderState state, Compare value) { SetRenderState(state, raw(value)); }
  void SetRenderState(RenderState state, StencilOp value) { SetRenderState(state, raw(value)); }
  void SetTextureStageState(uint32_t stage, TextureStageState type, TextureOp value) {
    SetTextureStageState(stage, type, raw(value));
  }
  void SetTextureStageState(uint32_t stage, TextureStageState type, TextureArg value) {
    SetTextureStageState(stage, type, raw(value));
  }
};

// The one device of the game. Set by the program (or a test) before anything
// is loaded or drawn; not owned here.
extern RenderDevice* device;

}  // namespace cog
