#pragma once
// Writing a 16-bit PCM WAV file as its sound arrives.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/output_file.h"

namespace cog {

class WavFile {
 public:
  WavFile() = default;

  // Creates the file with its header. false with `error` naming the file.
  bool open(const std::string& path, int sampleRate, int channels, std::string& error);
  // Appends interleaved samples.
  bool append(const int16_t* samples, size_t count, std::string& error);
  // Writes the sizes into the header and closes the file.
  bool close(std::string& error);

  // The most sample bytes a WAV file can hold (its sizes are 32-bit).
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

 private:
  OutputFile file_{"the sound"};
  uint64_t dataBytes_ = 0;
};

}  // namespace cog
