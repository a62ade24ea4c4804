#pragma once
// WAV sounds: the RIFF layout checked by the game itself (a file cut short
// is refused, where libsndfile would quietly play what is left), the
// samples decoded by libsndfile to 16 bits.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"

namespace cog {

constexpr size_t kMaxWaveFileBytes = size_t{64} << 20;
constexpr int64_t kMaxWaveSamples = int64_t{1} << 25;

struct WaveSound {
  int32_t channels = 0;
  int32_t sampleRate = 0;
  int64_t frames = 0;
  std::vector<int16_t> samples;  // interleaved; left empty when only checking
};

// Checks a WAV file (RIFF layout, no chunk cut short) and decodes it with
// libsndfile to 16-bit samples; with `keepSamples` false the samples are
// read and dropped. `name` is the file name the messages use.
Result<WaveSound> decodeWave(const uint8_t* data, size_t size, const std::string& name, bool keepSamples);
// The same, from a file.
Result<WaveSound> readWaveFile(const std::string& path, bool keepSamples);

}  // namespace cog
