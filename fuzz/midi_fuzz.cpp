// Fuzzes the MIDI reader the game loads "Roadsong.mid" with: the input is
// one file. Accepted music has a positive division and a length that is not
// negative; a refusal names the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/midi.h"

namespace cog {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Result<MidiInfo> read = decodeMidi(std::vector<uint8_t>(data, data + size), "fuzz.mid");
  if (read) {
    const MidiInfo& info = read.value();
    if (info.pulsesPerQuarter <= 0 || info.lengthPulses < 0 || info.length < 0) __builtin_trap();
  } else if (read.message().rfind("fuzz.mid", 0) != 0) {
    __builtin_trap();
  }
  return 0;
}

}  // namespace cog
