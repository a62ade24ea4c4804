#pragma once
// Small MIDI pieces made by code for the music tests.

#include <cstdint>
#include <vector>

namespace cog {

// A format 0 file of one track around `events` (delta times included); the
// end of track comes `tail` pulses after the last event.
std::vector<uint8_t> oneTrackMidiFile(const std::vector<uint8_t>& events, uint16_t division = 96, int tail = 0);

// A piece in two tempos, 96 pulses per quarter note: eight quarter notes at
// 120 bpm, then eight at 60 bpm (the change at music tick 6144); a short
// note starts on every quarter. 16 quarters, 12288 music ticks, 12 seconds.
std::vector<uint8_t> twoTempoPiece();
constexpr int64_t kTwoTempoChangeTick = 8 * 768;
constexpr int64_t kTwoTempoLength = 16 * 768;
// Where the piece stands `microseconds` after `fromTick` (within one pass).
int64_t twoTempoTickAfter(int64_t fromTick, int64_t microseconds);

}  // namespace cog
