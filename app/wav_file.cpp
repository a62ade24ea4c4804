// Writing a 16-bit PCM WAV file as its sound arrives, the sizes filled in at the end.
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

bool WavFile::open(const std::string& path, int sampleRate, int channels, std::string& error) {
  dataBytes_ = 0;
  if (!reportInto(file_.open(path), error)) return false;
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  put32(h + 16, 16);  // the format chunk
  put16(h + 20, 1);   // PCM
  put16(h + 22, static_cast<uint32_t>(channels));
  put32(h + 24, static_cast<uint32_t>(sampleRate));
  put32(h + 28, static_cast<uint32_t>(sampleRate * channels * 2));
  put16(h + 32, static_cast<uint32_t>(channels * 2));
  put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  return reportInto(file_.write(h, sizeof h), error);
}

bool WavFile::append(const int16_t* samples, size_t count, std::string& error) {
  if (dataBytes_ + count * 2 > kMaxDataBytes) return reportInto(file_.failure(EFBIG), error);
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) put16(&bytes[2 * i], static_cast<uint16_t>(samples[i]));
  if (!reportInto(file_.write(bytes.data(), bytes.size()), error)) return false;
  dataBytes_ += bytes.size();
  return true;
}

bool WavFile::close(std::string& error) {
  if (!file_.isOpen()) return true;
  uint8_t riff[4];
  uint8_t data[4];
  put32(riff, static_cast<uint32_t>(36 + dataBytes_));
  put32(data, static_cast<uint32_t>(dataBytes_));
  Status status = file_.writeAt(4, riff, 4);
  if (status) status = file_.writeAt(40, data, 4);
  const Status closed = file_.close();
  return reportInto(status ? closed : status, error);
}

}  // namespace cog
