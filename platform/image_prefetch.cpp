// The image prefetch: one worker, a list of slots, one lock.
#include "platform/image_prefetch.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <utility>

#include "platform/bmp_image.h"

namespace cog {

ImagePrefetch::ImagePrefetch(Names names, size_t aheadBytes)
    : aheadBytes_(aheadBytes), worker_([this, names = std::move(names)] { work(names); }) {}

ImagePrefetch::~ImagePrefetch() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void ImagePrefetch::work(const Names& names) {
  struct ThreadEnd {
    ~ThreadEnd() { releaseBmpThreadState(); }
  } threadEnd;
  std::vector<std::string> list;
  try {
    if (names) list = names();
  } catch (const std::exception&) {
    list.clear();  // nothing ahead; every image is read when asked for
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::string& path : list)
      if (index_.emplace(path, slots_.size()).second) {
        slots_.emplace_back();
        slots_.back().path = std::move(path);
      }
    listed_ = true;
  }
  changed_.notify_all();
  for (size_t i = 0;; ++i) {
    std::string path;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || i >= slots_.size() || i < wanted_ || heldBytes_ < aheadBytes_; });
      if (stop_ || i >= slots_.size()) return;
      path = slots_[i].path;
    }
    Slot decoded;
    decoded.ok = loadImageFile(path, decoded.image, decoded.error);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Slot& slot = slots_[i];
      slot.ok = decoded.ok;
      slot.image = std::move(decoded.image);
      heldBytes_ += slot.image.pixels.size();
      slot.error = std::move(decoded.error);
      slot.done = true;
    }
    changed_.notify_all();
  }
}

std::optional<bool> ImagePrefetch::take(const std::string& path, ImageRgba& image, std::string& error) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return listed_; });
  const auto found = index_.find(path);
  if (found == index_.end() || slots_[found->second].taken) return std::nullopt;
  const size_t i = found->second;
  wanted_ = std::max(wanted_, i + 1);
  changed_.notify_all();
  changed_.wait(lock, [&] { return slots_[i].done; });
  Slot& slot = slots_[i];
  slot.taken = true;
  ++taken_;
  heldBytes_ -= slot.image.pixels.size();
  image = std::move(slot.image);
  slot.image = ImageRgba{};
  if (!slot.ok) error = std::move(slot.error);
  return slot.ok;
}

size_t ImagePrefetch::taken() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return taken_;
}

}  // namespace cog
