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

// Render states.
constexpr uint32_t D3DRS_ZENABLE = 7;
constexpr uint32_t D3DRS_ZWRITEENABLE = 14;
constexpr uint32_t D3DRS_SRCBLEND = 19;
constexpr uint32_t D3DRS_DESTBLEND = 20;
constexpr uint32_t D3DRS_CULLMODE = 22;
constexpr uint32_t D3DRS_ZFUNC = 23;
constexpr uint32_t D3DRS_ALPHABLENDENABLE = 27;
constexpr uint32_t D3DRS_STENCILENABLE = 52;
constexpr uint32_t D3DRS_STENCILFAIL = 53;
constexpr uint32_t D3DRS_STENCILZFAIL = 54;
constexpr uint32_t D3DRS_STENCILPASS = 55;
constexpr uint32_t D3DRS_STENCILFUNC = 56;
constexpr uint32_t D3DRS_STENCILREF = 57;
constexpr uint32_t D3DRS_STENCILMASK = 58;
constexpr uint32_t D3DRS_STENCILWRITEMASK = 59;
constexpr uint32_t D3DRS_LIGHTING = 137;
constexpr uint32_t D3DRS_AMBIENT = 139;
constexpr uint32_t D3DRS_MULTISAMPLEANTIALIAS = 161;

constexpr uint32_t FALSE_ = 0;
constexpr uint32_t TRUE_ = 1;
constexpr uint32_t D3DZB_TRUE = 1;

// Blend factors.
constexpr uint32_t D3DBLEND_ZERO = 1;
constexpr uint32_t D3DBLEND_ONE = 2;
constexpr uint32_t D3DBLEND_SRCCOLOR = 3;
constexpr uint32_t D3DBLEND_INVSRCCOLOR = 4;
constexpr uint32_t D3DBLEND_SRCALPHA = 5;
constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;
constexpr uint32_t D3DBLEND_DESTCOLOR = 9;

// Culling.
constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DCULL_CW = 2;
constexpr uint32_t D3DCULL_CCW = 3;

// Stencil operations and comparisons.
constexpr uint32_t D3DSTENCILOP_KEEP = 1;
constexpr uint32_t D3DSTENCILOP_REPLACE = 3;
constexpr uint32_t D3DCMP_EQUAL = 3;
constexpr uint32_t D3DCMP_LESSEQUAL = 4;  // the depth test's default
constexpr uint32_t D3DCMP_ALWAYS = 8;

// Texture-stage states, operations and arguments.
constexpr uint32_t D3DTSS_COLOROP = 1;
constexpr uint32_t D3DTSS_COLORARG1 = 2;
constexpr uint32_t D3DTSS_COLORARG2 = 3;
constexpr uint32_t D3DTSS_ALPHAOP = 4;
constexpr uint32_t D3DTSS_ALPHAARG1 = 5;
constexpr uint32_t D3DTOP_DISABLE = 1;
constexpr uint32_t D3DTOP_SELECTARG1 = 2;
constexpr uint32_t D3DTOP_MODULATE = 4;
constexpr uint32_t D3DTA_DIFFUSE = 0;
constexpr uint32_t D3DTA_CURRENT = 1;
constexpr uint32_t D3DTA_TEXTURE = 2;

// Transforms.
constexpr uint32_t D3DTS_VIEW = 2;
constexpr uint32_t D3DTS_PROJECTION = 3;
constexpr uint32_t D3DTS_WORLD = 256;

// Primitive types.
constexpr uint32_t D3DPT_TRIANGLELIST = 4;
constexpr uint32_t D3DPT_TRIANGLESTRIP = 5;

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 2;
constexpr uint32_t D3DCLEAR_STENCIL = 4;

// Lights.
constexpr uint32_t D3DLIGHT_POINT = 1;

// Vertex format of every mesh: position, normal, two texture pairs.
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
  uint32_t type = 0;
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
  virtual void Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual int32_t Present() = 0;

  // State.
  virtual void SetRenderState(uint32_t state, uint32_t value) = 0;
  virtual void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
  virtual void SetTexture(uint32_t stage, const Texture* texture) = 0;  // null: none
  virtual void SetTransform(uint32_t kind, const Matrix4& m) = 0;
  virtual Matrix4 GetTransform(uint32_t kind) const = 0;
  // The viewport starts as the whole back buffer with depth range 0..1.
  virtual void SetViewport(const Viewport& viewport) = 0;
  virtual Viewport GetViewport() const = 0;
  virtual void SetLight(uint32_t index, const Light& light) = 0;
  virtual void LightEnable(uint32_t index, bool enable) = 0;
  virtual void SetMaterial(const Material& material) = 0;
  virtual void SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) = 0;
  virtual void SetVertexShader(uint32_t fvf) = 0;
  virtual void DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
};

// The one device of the game. Set by the program (or a test) before anything
// is loaded or drawn; not owned here.
extern RenderDevice* device;

}  // namespace cog
