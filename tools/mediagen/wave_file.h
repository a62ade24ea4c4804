#pragma once
// Sounds as 16-bit PCM WAV files.

#include <cstdint>
#include <vector>

namespace cog {

namespace mediagen {

// Scales `signal` so its largest magnitude is `peak` (0..1 of full scale)
// and rounds it to 16-bit samples.
std::vector<int16_t> toPcm16(const std::vector<double>& signal, double peak);
// A mono WAV file: RIFF header, "fmt " chunk, "data" chunk.
std::vector<uint8_t> monoWaveFile(const std::vector<int16_t>& samples, int sampleRate);

}  // namespace mediagen

}  // namespace cog
