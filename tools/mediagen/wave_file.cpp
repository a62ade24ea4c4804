#include "wave_file.h"

#include <algorithm>
#include <cmath>

namespace cog {

namespace mediagen {

namespace {

void appendLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void appendId(std::vector<uint8_t>& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

}  // namespace

std::vector<int16_t> toPcm16(const std::vector<double>& signal, double peak) {
  double largest = 0.0;
  for (double s : signal) largest = std::max(largest, std::fabs(s));
  const double gain = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
  std::vector<int16_t> out;
  out.reserve(signal.size());
  for (double s : signal)
    out.push_back(static_cast<int16_t>(std::clamp(std::lround(s * gain), -32768L, 32767L)));
  return out;
}

std::vector<uint8_t> monoWaveFile(const std::vector<int16_t>& samples, int sampleRate) {
  constexpr int kChannels = 1, kBytesPerSample = 2;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * kBytesPerSample);
  std::vector<uint8_t> out;
  appendId(out, "RIFF");
  appendLittleEndian(out, 36 + dataBytes, 4);
  appendId(out, "WAVE");
  appendId(out, "fmt ");
  appendLittleEndian(out, 16, 4);
  appendLittleEndian(out, 1, 2);  // PCM
  appendLittleEndian(out, kChannels, 2);
  appendLittleEndian(out, static_cast<uint32_t>(sampleRate), 4);
  appendLittleEndian(out, static_cast<uint32_t>(sampleRate * kChannels * kBytesPerSample), 4);  // bytes a second
  appendLittleEndian(out, kChannels * kBytesPerSample, 2);                                     // bytes a frame
  appendLittleEndian(out, 8 * kBytesPerSample, 2);
  appendId(out, "data");
  appendLittleEndian(out, dataBytes, 4);
  for (int16_t s : samples) appendLittleEndian(out, static_cast<uint16_t>(s), 2);
  return out;
}

}  // namespace mediagen

}  // namespace cog
