#include "support/midi_pieces.h"

namespace cog {

std::vector<uint8_t> oneTrackMidiFile(const std::vector<uint8_t>& events, uint16_t division, int tail) {
  std::vector<uint8_t> track = events;
  track.push_back(static_cast<uint8_t>(tail));
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                            static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division & 0xFF)};
  f.insert(f.end(), {'M', 'T', 'r', 'k', 0, 0, static_cast<uint8_t>(track.size() >> 8),
                     static_cast<uint8_t>(track.size() & 0xFF)});
  f.insert(f.end(), track.begin(), track.end());
  return f;
}

std::vector<uint8_t> twoTempoPiece() {
  std::vector<uint8_t> e = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us per quarter
                            0x00, 0xC0, 0x0D};                         // a xylophone
  uint8_t delta = 0;
  for (int q = 0; q < 16; ++q) {
    if (q == 8) {
      e.insert(e.end(), {delta, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40});  // 1000000 us per quarter
      delta = 0;
    }
    const uint8_t key = static_cast<uint8_t>(60 + q % 12);
    e.insert(e.end(), {delta, 0x90, key, 100, 24, 0x80, key, 0});  // a sixteenth note
    delta = 72;  // to the next quarter
  }
  return oneTrackMidiFile(e, 96, 72);
}

int64_t twoTempoTickAfter(int64_t fromTick, int64_t microseconds) {
  const int64_t changeMicros = kTwoTempoChangeTick * 500000 / 768;
  int64_t at = (fromTick < kTwoTempoChangeTick ? fromTick * 500000 / 768
                                               : changeMicros + (fromTick - kTwoTempoChangeTick) * 1000000 / 768) +
               microseconds;
  if (at < changeMicros) return at * 768 / 500000;
  return kTwoTempoChangeTick + (at - changeMicros) * 768 / 1000000;
}

}  // namespace cog
