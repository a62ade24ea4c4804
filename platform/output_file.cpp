// The output file the trace, the key recording and the WAV recording are written through.
#include "platform/output_file.h"

#include <cerrno>
#include <cstring>

namespace cog {

Status OutputFile::failure(int err) const {
  return Status::failure(path_ + ": cannot write " + what_ + ": " + std::strerror(err));
}

Status OutputFile::open(const std::string& path) {
  path_ = path;
  file_.reset(std::fopen(path.c_str(), "wb"));
  if (!file_) return failure(errno);
  return okStatus();
}

Status OutputFile::write(const void* data, size_t size) {
  if (!file_) return failure(EBADF);
  if (std::fwrite(data, 1, size, file_.get()) != size) return failure(errno);
  return okStatus();
}

Status OutputFile::writeAt(uint64_t offset, const void* data, size_t size) {
  if (!file_) return failure(EBADF);
  const long at = std::ftell(file_.get());
  if (at < 0 || std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0 ||
      std::fwrite(data, 1, size, file_.get()) != size || std::fseek(file_.get(), at, SEEK_SET) != 0)
    return failure(errno);
  return okStatus();
}

Status OutputFile::close() {
  std::FILE* file = file_.release();
  if (file != nullptr && std::fclose(file) != 0) return failure(errno);
  return okStatus();
}

}  // namespace cog
