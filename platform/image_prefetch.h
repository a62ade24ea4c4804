#pragma once
// Image files decoded ahead on a worker thread while the window and its
// context open, handed over in the order the level load asks for them. A
// name not on the list, or asked for twice, is the caller's to decode.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/image_file.h"

namespace cog {

class ImagePrefetch {
 public:
  using Names = std::function<std::vector<std::string>()>;

  // Starts the worker: it asks `names` for the files (so that reading the
  // list costs the caller nothing), then decodes them in that order while
  // the pixels decoded and not yet taken are fewer than `aheadBytes`.
  explicit ImagePrefetch(Names names, size_t aheadBytes = size_t{64} << 20);
  // Stops the worker; what was not taken is dropped.
  ~ImagePrefetch();
  ImagePrefetch(const ImagePrefetch&) = delete;
  ImagePrefetch& operator=(const ImagePrefetch&) = delete;

  // `path` as loadImageFile would have read it, waiting for the worker if
  // need be: true or false as it decoded, `image` and `error` as it set
  // them. Empty when `path` is not on the list or was taken before.
  std::optional<bool> take(const std::string& path, ImageRgba& image, std::string& error);

  // Images handed over so far.
  size_t taken() const;

 private:
  struct Slot {
    std::string path;
    bool done = false, taken = false, ok = false;
    ImageRgba image;
    std::string error;
  };
  void work(const Names& names);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::unordered_map<std::string, size_t> index_;
  bool listed_ = false;  // slots_ is filled
  bool stop_ = false;
  size_t aheadBytes_;
  size_t heldBytes_ = 0;  // decoded, not taken
  size_t wanted_ = 0;     // one past the furthest slot asked for
  size_t taken_ = 0;
  std::thread worker_;
};

}  // namespace cog
