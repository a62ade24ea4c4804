// Fuzzes the WAV reader the game loads "gun.wav" and "dead.wav" with: the
// input is one file, decoded with its samples kept. Accepted sound holds
// exactly frames x channels samples; a refusal names the file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "media/wav.h"

namespace cog {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Result<WaveSound> read = decodeWave(data, size, "fuzz.wav", true);
  if (read) {
    const WaveSound& sound = read.value();
    if (sound.channels <= 0 || sound.sampleRate <= 0 || sound.frames < 0) __builtin_trap();
    if (sound.samples.size() != static_cast<size_t>(sound.frames) * static_cast<size_t>(sound.channels))
      __builtin_trap();
  } else if (read.message().rfind("fuzz.wav", 0) != 0) {
    __builtin_trap();
  }
  return 0;
}

}  // namespace cog
