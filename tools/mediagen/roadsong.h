#pragma once
// "Roadsong", the game's music, as the bytes of a Standard MIDI File.

#include <cstdint>
#include <vector>

namespace cog {

namespace mediagen {

// Format 1, 768 pulses per quarter note: the tempo track, then drums, bass,
// chords and lead. The same bytes on every run.
std::vector<uint8_t> roadsongMidi();

}  // namespace mediagen

}  // namespace cog
