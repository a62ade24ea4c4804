#pragma once
// A piece's tempo map: where in time each point of the piece falls, in
// music ticks (768 per quarter note) and microseconds from its start.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cog {

constexpr int32_t kMusicTicksPerQuarter = 768;
constexpr int32_t kDefaultMicrosecondsPerQuarter = 500000;  // 120 bpm

// Music ticks in `microseconds` at the given tempo, rounded down.
int64_t musicTicksFor(int64_t microseconds, int32_t microsecondsPerQuarter);
// Microseconds of `ticks` music ticks at the given tempo, rounded down.
int64_t microsecondsForTicks(int64_t ticks, int32_t microsecondsPerQuarter);

struct TempoChange {
  int64_t tick = 0;  // music ticks from the start of the piece
  int32_t microsecondsPerQuarter = kDefaultMicrosecondsPerQuarter;
};

class TempoMap {
 public:
  // 120 bpm throughout.
  TempoMap() : TempoMap(std::vector<TempoChange>{}) {}
  // The changes in any order; a piece plays at 120 bpm until its first one,
  // and of two changes at the same tick the later in the list holds.
  // Tempos of zero or less are ignored.
  explicit TempoMap(std::vector<TempoChange> changes);

  // Microseconds from the start of the piece to `tick`, rounded down.
  int64_t microsecondsAt(int64_t tick) const;
  // The tick reached `microseconds` after the start, rounded down.
  int64_t tickAt(int64_t microseconds) const;
  // The tempo in force at `tick`.
  int32_t tempoAt(int64_t tick) const;
  // How many tempo stretches the piece has (1 for a steady tempo).
  size_t stretches() const { return stretches_.size(); }

 private:
  struct Stretch {
    int64_t tick;
    int64_t microseconds;  // from the start of the piece
    int32_t tempo;
  };
  const Stretch& stretchAtTick(int64_t tick) const;
  std::vector<Stretch> stretches_;  // by tick, the first at 0
};

}  // namespace cog
