#pragma once
// The music clock both audio engines keep: music time in ticks (768 per
// quarter note) that follows the tempo map of the piece playing, so the
// ticks gone by since a play began, added to its start point, say where in
// the piece the music stands, through tempo changes and repeats. While no
// piece plays the clock runs on at the last tempo it had.
//
// The clock is a run of stretches; the engine says how far into the current
// stretch it is in microseconds of sound (the silent engine counts the time
// it is given, the sounding one the music it has played), so steps never
// add up rounding errors.

#include <cstdint>
#include <memory>

#include "seams/audio_engine.h"
#include "media/tempo_map.h"

namespace cog {

class MusicClock {
 public:
  // The clock `microseconds` into the current stretch, unwrapped.
  int64_t ticksAt(int64_t microseconds) const { return read(microseconds).ticks; }
  // The tempo in force `microseconds` into the current stretch.
  int32_t tempoAt(int64_t microseconds) const { return read(microseconds).tempo; }

  // Starts a stretch after `microseconds` of the current one, with no piece
  // playing and the clock running at `microsecondsPerQuarter`.
  void runIdle(int64_t microseconds, int32_t microsecondsPerQuarter);
  // Starts a stretch after `microseconds` of the current one in which a
  // piece of `length` ticks plays from `startPoint`, `passes` times through
  // (-1: for ever). A start at or past the end skips the first pass.
  void runPiece(int64_t microseconds, std::shared_ptr<const TempoMap> tempos, MusicTime length,
                MusicTime startPoint, int64_t passes);
  // Starts an idle stretch at the tempo reached after `microseconds`.
  void stop(int64_t microseconds) { runIdle(microseconds, tempoAt(microseconds)); }
  // Whether a piece is playing (not stopped; it may have played out).
  bool hasPiece() const { return tempos_ != nullptr; }
  // How long the piece of the stretch plays in all, in microseconds
  // (-1: for ever, 0: no piece).
  int64_t pieceMicroseconds() const;

 private:
  struct Reading {
    int64_t ticks = 0;     // the clock
    int64_t leftover = 0;  // microseconds past the last whole tick
    int32_t tempo = kDefaultMicrosecondsPerQuarter;
  };
  // The clock `microseconds` into the stretch.
  Reading read(int64_t microseconds) const;

  int64_t base_ = 0;   // the clock when the stretch began
  int64_t carry_ = 0;  // microseconds short of a whole tick when it began; they count in this stretch
  int32_t idleTempo_ = kDefaultMicrosecondsPerQuarter;
  // The piece of the stretch (none: idle), from `start_` for `passes_`.
  std::shared_ptr<const TempoMap> tempos_;
  int64_t length_ = 0;
  int64_t start_ = 0;
  int64_t passes_ = 0;
};

}  // namespace cog
