// GL textures and vertex buffers, freed through the device's liveness token.
#include "render/gl/gl_resources.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <utility>

namespace cog {

void deleteGlName(ResourceRegistry::Kind kind, uint32_t name) {
  const GLuint n = name;
  if (kind == ResourceRegistry::Kind::Texture)
    glDeleteTextures(1, &n);
  else
    glDeleteBuffers(1, &n);
}

GlTexture::GlTexture(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id, int width, int height)
    : registry_(std::move(registry)), name_(name), id_(id), width_(width), height_(height) {
  registry_->add(ResourceRegistry::Kind::Texture, name_);
}

GlTexture::~GlTexture() {
  if (registry_->release(ResourceRegistry::Kind::Texture, name_)) deleteGlName(ResourceRegistry::Kind::Texture, name_);
}

GlVertexBuffer::GlVertexBuffer(std::shared_ptr<ResourceRegistry> registry, uint32_t name, uint32_t id,
                               uint32_t length, const BoxBounds& bounds)
    : registry_(std::move(registry)), name_(name), id_(id), length_(length), bounds_(bounds) {
  registry_->add(ResourceRegistry::Kind::Buffer, name_);
}

GlVertexBuffer::~GlVertexBuffer() {
  if (registry_->release(ResourceRegistry::Kind::Buffer, name_)) deleteGlName(ResourceRegistry::Kind::Buffer, name_);
}

}  // namespace cog
