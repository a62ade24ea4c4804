#include "platform/file_bytes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cog {

bool readFileBytes(const std::string& path, size_t maxBytes, const char* what, std::vector<uint8_t>& bytes,
                   std::string& error) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    const int err = errno;
    error = path + ": cannot open (" + std::strerror(err) + ")";
    return false;
  }
  struct stat st {};
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(file);
    error = path + ": not a regular file";
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    std::fclose(file);
    error = path + ": file of " + std::to_string(st.st_size) + " bytes is too large for " + what;
    return false;
  }
  bytes.reserve(static_cast<size_t>(st.st_size));
  uint8_t chunk[65536];
  bool readError = false;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, file);
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (bytes.size() > maxBytes) break;
    if (n < sizeof chunk) {
      readError = std::ferror(file) != 0;
      break;
    }
  }
  const int err = errno;
  std::fclose(file);
  if (readError) {
    error = path + ": cannot read (" + std::strerror(err) + ")";
    return false;
  }
  if (bytes.size() > maxBytes) {
    error = path + ": file is too large for " + what;
    return false;
  }
  return true;
}

}  // namespace cog
