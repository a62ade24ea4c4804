#pragma once
// The liveness token a GL device shares with the textures and buffers it
// made. While the device lives, a freed resource tells it (so it is never
// drawn from) and deletes its GL name; the device deletes the names of
// those still alive when it goes, while its context is current, and marks
// the token dead: a resource that outlives its device (and perhaps the
// context) then makes no GL call at all. No GL calls here.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>

namespace cog {

class ResourceRegistry {
 public:
  enum class Kind { Texture, Buffer };

  // `forget` is called with a resource's kind and GL name as it is freed
  // while the device lives.
  explicit ResourceRegistry(std::function<void(Kind, uint32_t)> forget) : forget_(std::move(forget)) {}

  bool alive() const { return alive_; }
  void add(Kind kind, uint32_t name) { names(kind).insert(name); }
  // A resource is going: true when its GL name is still to be deleted.
  bool release(Kind kind, uint32_t name) {
    if (!alive_) return false;
    names(kind).erase(name);
    if (forget_) forget_(kind, name);
    return true;
  }
  // The device is going: hands over the names still alive, once, and
  // makes every later release a no-op.
  void closeDown(const std::function<void(Kind, uint32_t)>& deleteName) {
    if (!alive_) return;
    alive_ = false;
    for (uint32_t n : textures_) deleteName(Kind::Texture, n);
    for (uint32_t n : buffers_) deleteName(Kind::Buffer, n);
    textures_.clear();
    buffers_.clear();
    forget_ = nullptr;
  }
  size_t liveCount() const { return textures_.size() + buffers_.size(); }

 private:
  std::unordered_set<uint32_t>& names(Kind kind) { return kind == Kind::Texture ? textures_ : buffers_; }

  std::function<void(Kind, uint32_t)> forget_;
  std::unordered_set<uint32_t> textures_, buffers_;
  bool alive_ = true;
};

}  // namespace cog
