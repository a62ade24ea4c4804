#include "app/key_record.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace cog {

KeyRecording::~KeyRecording() {
  if (file_) std::fclose(file_);
}

std::string KeyRecording::failure() const {
  return path_ + ": cannot write the key recording: " + std::strerror(errno);
}

bool KeyRecording::open(const std::string& path, std::string& error) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_ || std::fputs("# Cogstorm keys: TICK CODE, pressed just before that tick\n", file_) < 0) {
    error = failure();
    return false;
  }
  return true;
}

bool KeyRecording::write(int64_t tick, uint32_t code, std::string& error) {
  if (std::fprintf(file_, "%" PRId64 " %" PRIu32 "\n", tick, code) < 0) {
    error = failure();
    return false;
  }
  return true;
}

bool KeyRecording::close(std::string& error) {
  std::FILE* file = file_;
  file_ = nullptr;
  if (file && std::fclose(file) != 0) {
    error = failure();
    return false;
  }
  return true;
}

}  // namespace cog
