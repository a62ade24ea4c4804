#include "app/wav_file.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace cog {

namespace {

void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

}  // namespace

WavFile::~WavFile() {
  if (file_) std::fclose(file_);
}

std::string WavFile::failure() const { return path_ + ": cannot write the sound: " + std::strerror(errno); }

bool WavFile::open(const std::string& path, int sampleRate, int channels, std::string& error) {
  path_ = path;
  dataBytes_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    error = failure();
    return false;
  }
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  put32(h + 16, 16);  // the format chunk
  put16(h + 20, 1);   // PCM
  put16(h + 22, static_cast<uint32_t>(channels));
  put32(h + 24, static_cast<uint32_t>(sampleRate));
  put32(h + 28, static_cast<uint32_t>(sampleRate * channels * 2));
  put16(h + 32, static_cast<uint32_t>(channels * 2));
  put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  if (std::fwrite(h, 1, sizeof h, file_) != sizeof h) {
    error = failure();
    return false;
  }
  return true;
}

bool WavFile::append(const int16_t* samples, size_t count, std::string& error) {
  if (dataBytes_ + count * 2 > kMaxDataBytes) {
    errno = EFBIG;
    error = failure();
    return false;
  }
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) put16(&bytes[2 * i], static_cast<uint16_t>(samples[i]));
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error = failure();
    return false;
  }
  dataBytes_ += bytes.size();
  return true;
}

bool WavFile::close(std::string& error) {
  std::FILE* file = file_;
  file_ = nullptr;
  if (file == nullptr) return true;
  uint8_t riff[4];
  uint8_t data[4];
  put32(riff, static_cast<uint32_t>(36 + dataBytes_));
  put32(data, static_cast<uint32_t>(dataBytes_));
  const bool ok = std::fseek(file, 4, SEEK_SET) == 0 && std::fwrite(riff, 1, 4, file) == 4 &&
                  std::fseek(file, 40, SEEK_SET) == 0 && std::fwrite(data, 1, 4, file) == 4;
  if (!ok) error = failure();
  if (std::fclose(file) != 0 && ok) {
    error = failure();
    return false;
  }
  return ok;
}

}  // namespace cog
