#pragma once
// The GL device's textures and vertex buffers: a GL name, the device's
// liveness token, and what the device needs at draw time.

#include <cstdint>
#include <memory>

#include "render/gpu/draw_bounds.h"
#include "render/gpu/resource_registry.h"
#include "seams/render_device.h"

namespace cog {

class GlTexture : public Texture {
 public:
  GlTexture(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, int width, int height);
  ~GlTexture() override;
  GlTexture(const GlTexture&) = delete;
  GlTexture& operator=(const GlTexture&) = delete;
  uint32_t id() const override { return id_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  uint32_t name() const { return name_; }

 private:
  std::shared_ptr<ResourceRegistry> registry_;
  uint32_t name_;
  uint32_t id_;
  int width_;
  int height_;
};

class GlVertexBuffer : public VertexBuffer {
 public:
  GlVertexBuffer(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, uint32_t length,
                 const BoxBounds& bounds);
  ~GlVertexBuffer() override;
  GlVertexBuffer(const GlVertexBuffer&) = delete;
  GlVertexBuffer& operator=(const GlVertexBuffer&) = delete;
  uint32_t id() const override { return id_; }
  uint32_t length() const override { return length_; }
  uint32_t name() const { return name_; }
  const BoxBounds& bounds() const { return bounds_; }

 private:
  std::shared_ptr<ResourceRegistry> registry_;
  uint32_t name_;
  uint32_t id_;
  uint32_t length_;
  BoxBounds bounds_;
};

// Deletes one GL name of either kind; the device's context must be current.
void deleteGlName(ResourceRegistry::Kind kind, uint32_t name);

}  // namespace cog
