#include "media/music_clock.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace cog {

MusicClock::Reading MusicClock::read(int64_t microseconds) const {
  Reading r;
  const int64_t total = std::max<int64_t>(microseconds, 0) + carry_;
  auto atTempo = [&r](int64_t us, int32_t tempo) {
    const int64_t ticks = musicTicksFor(us, tempo);
    r.leftover = us - microsecondsForTicks(ticks, tempo);
    r.tempo = tempo;
    return ticks;
  };
  if (tempos_ == nullptr) {
    r.ticks = base_ + atTempo(total, idleTempo_);
    return r;
  }
  const TempoMap& map = *tempos_;
  const int64_t from = map.microsecondsAt(start_);
  const int64_t whole = map.microsecondsAt(length_);
  const int64_t at = from + total;
  // at / whole < passes, not at < whole * passes: a huge repeat count
  // would overflow the product.
  if (whole > 0 && (passes_ < 0 || at / whole < passes_)) {
    const int64_t within = at % whole;
    const int64_t tick = map.tickAt(within);
    r.ticks = base_ + (at / whole) * length_ + tick - start_;
    r.leftover = std::max<int64_t>(within - map.microsecondsAt(tick), 0);
    r.tempo = map.tempoAt(tick);
    return r;
  }
  // Played out: the clock runs on at the tempo of the piece's end.
  const int64_t passes = passes_ < 0 ? 0 : passes_;
  r.ticks = base_ + passes * length_ - start_ + atTempo(at - whole * passes, map.tempoAt(length_));
  return r;
}

void MusicClock::runIdle(int64_t microseconds, int32_t microsecondsPerQuarter) {
  const Reading r = read(microseconds);
  base_ = r.ticks;
  carry_ = r.leftover;
  idleTempo_ = microsecondsPerQuarter > 0 ? microsecondsPerQuarter : kDefaultMicrosecondsPerQuarter;
  tempos_.reset();
}

void MusicClock::runPiece(int64_t microseconds, std::shared_ptr<const TempoMap> tempos, MusicTime length,
                          MusicTime startPoint, int64_t passes) {
  const Reading r = read(microseconds);
  base_ = r.ticks;
  carry_ = r.leftover;
  idleTempo_ = r.tempo;
  tempos_ = tempos ? std::move(tempos) : std::make_shared<TempoMap>();
  length_ = length > 0 ? length : 0;
  start_ = startPoint > 0 ? startPoint : 0;
  passes_ = passes;
  if (start_ >= length_ && passes_ != 1) {
    start_ = 0;
    if (passes_ > 0) --passes_;
  }
}

int64_t MusicClock::pieceMicroseconds() const {
  if (tempos_ == nullptr) return 0;
  const int64_t whole = tempos_->microsecondsAt(length_);
  // More passes than 64 bits of microseconds can count is for ever.
  if (passes_ < 0 || (whole > 0 && passes_ > std::numeric_limits<int64_t>::max() / whole)) return -1;
  const int64_t total = whole * passes_ - tempos_->microsecondsAt(start_) - carry_;
  return total > 0 ? total : 0;
}

}  // namespace cog
