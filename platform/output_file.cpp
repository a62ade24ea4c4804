// The output file the trace, the key recording and the WAV recording are written through.
#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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

Status writeWholeFile(const std::string& path, const std::string& text, const std::string& what) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  if (ec) return Status::failure(file.parent_path().string() + ": cannot make the folder for " + what + ": " + ec.message());
  const std::string temporary = path + ".new";
  Status written = okStatus();
  {
    OutputFile out(what);
    written = out.open(temporary);
    if (written) written = out.write(text);
    if (written) written = out.close();
  }
  if (!written) {
    fs::remove(temporary, ec);
    // The message names the file asked for, not the temporary one.
    std::string message = written.message();
    if (message.rfind(temporary, 0) == 0) message = path + message.substr(temporary.size());
    return Status::failure(message);
  }
  fs::rename(temporary, file, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temporary, ec);
    return Status::failure(path + ": cannot write " + what + ": " + reason);
  }
  return okStatus();
}

}  // namespace cog
