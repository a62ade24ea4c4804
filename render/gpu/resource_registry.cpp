// The GL devices' textures and vertex buffers, freed through their device's liveness token.
#include "render/gpu/resource_registry.h"

#include <utility>

namespace cog {

void ResourceRegistry::release(Kind kind, uint32_t name) {
  if (!alive_) return;
  names(kind).erase(name);
  if (forget_) forget_(kind, name);
  if (deleteName_) deleteName_(kind, name);
}

void ResourceRegistry::closeDown() {
  if (!alive_) return;
  alive_ = false;
  if (deleteName_) {
    for (uint32_t n : textures_) deleteName_(Kind::Texture, n);
    for (uint32_t n : buffers_) deleteName_(Kind::Buffer, n);
  }
  textures_.clear();
  buffers_.clear();
  forget_ = nullptr;
  deleteName_ = nullptr;
}

DeviceTexture::DeviceTexture(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, int width,
                             int height)
    : registry_(std::move(registry)), name_(name), id_(id), width_(width), height_(height) {
  registry_->add(ResourceRegistry::Kind::Texture, name_);
}

DeviceTexture::~DeviceTexture() { registry_->release(ResourceRegistry::Kind::Texture, name_); }

DeviceVertexBuffer::DeviceVertexBuffer(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id,
                                       uint32_t length, const BoxBounds& bounds)
    : registry_(std::move(registry)), name_(name), id_(id), length_(length), bounds_(bounds) {
  registry_->add(ResourceRegistry::Kind::Buffer, name_);
}

DeviceVertexBuffer::~DeviceVertexBuffer() { registry_->release(ResourceRegistry::Kind::Buffer, name_); }

}  // namespace cog
