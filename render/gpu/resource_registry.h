#pragma once
// The textures and vertex buffers of the GL devices, and the liveness token
// a device shares with them. While the device lives, a freed resource tells
// it (so it is never drawn from) and has it delete the GL name; when the
// device goes it deletes the names still alive, while its context is
// current, and marks the token dead: a resource that outlives its device
// (and perhaps the context) then makes no GL call at all. No GL calls here:
// the device hands in how to forget and how to delete a name.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>

#include "render/gpu/draw_bounds.h"
#include "seams/render_device.h"

namespace cog {

class ResourceRegistry {
 public:
  enum class Kind { Texture, Buffer };
  using NameCall = std::function<void(Kind, uint32_t)>;

  // `forget` runs as a resource is freed while the device lives, then
  // `deleteName` deletes its GL name.
  ResourceRegistry(NameCall forget, NameCall deleteName)
      : forget_(std::move(forget)), deleteName_(std::move(deleteName)) {}

  bool alive() const { return alive_; }
  void add(Kind kind, uint32_t name) { names(kind).insert(name); }
  // A resource is going: forgotten and deleted while the device lives,
  // nothing afterwards.
  void release(Kind kind, uint32_t name);
  // The device is going (its context current): deletes the names still
  // alive, once, and makes every later release a no-op.
  void closeDown();
  size_t liveCount() const { return textures_.size() + buffers_.size(); }

 private:
  std::unordered_set<uint32_t>& names(Kind kind) { return kind == Kind::Texture ? textures_ : buffers_; }

  NameCall forget_, deleteName_;
  std::unordered_set<uint32_t> textures_, buffers_;
  bool alive_ = true;
};

// A texture of a GL device: its GL name and size.
class DeviceTexture : public Texture {
 public:
  DeviceTexture(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, int width, int height);
  ~DeviceTexture() override;
  DeviceTexture(const DeviceTexture&) = delete;
  DeviceTexture& operator=(const DeviceTexture&) = delete;
  uint32_t id() const override { return id_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  uint32_t name() const { return name_; }
  // Whether this texture was made by the device owning `registry`.
  bool madeBy(const ResourceRegistry* registry) const { return registry_.get() == registry; }

 private:
  std::shared_ptr<ResourceRegistry> registry_;
  uint32_t name_, id_;
  int width_, height_;
};

// A vertex buffer of a GL device: its GL name, length and the box around
// its positions.
class DeviceVertexBuffer : public VertexBuffer {
 public:
  DeviceVertexBuffer(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, uint32_t length,
                     const BoxBounds& bounds);
  ~DeviceVertexBuffer() override;
  DeviceVertexBuffer(const DeviceVertexBuffer&) = delete;
  DeviceVertexBuffer& operator=(const DeviceVertexBuffer&) = delete;
  uint32_t id() const override { return id_; }
  uint32_t length() const override { return length_; }
  uint32_t name() const { return name_; }
  const BoxBounds& bounds() const { return bounds_; }
  bool madeBy(const ResourceRegistry* registry) const { return registry_.get() == registry; }

 private:
  std::shared_ptr<ResourceRegistry> registry_;
  uint32_t name_, id_, length_;
  BoxBounds bounds_;
};

}  // namespace cog
