#include "media/tempo_map.h"

#include <algorithm>

namespace cog {

int64_t musicTicksFor(int64_t microseconds, int32_t microsecondsPerQuarter) {
  if (microseconds <= 0 || microsecondsPerQuarter <= 0) return 0;
  const int64_t q = microsecondsPerQuarter;
  return (microseconds / q) * kMusicTicksPerQuarter + (microseconds % q) * kMusicTicksPerQuarter / q;
}

// Ticks stay below 2^40 and tempos below 2^24, so the products fit.
int64_t microsecondsForTicks(int64_t ticks, int32_t microsecondsPerQuarter) {
  if (ticks <= 0 || microsecondsPerQuarter <= 0) return 0;
  return (ticks / kMusicTicksPerQuarter) * microsecondsPerQuarter +
         (ticks % kMusicTicksPerQuarter) * microsecondsPerQuarter / kMusicTicksPerQuarter;
}

TempoMap::TempoMap(std::vector<TempoChange> changes) {
  std::stable_sort(changes.begin(), changes.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  stretches_.push_back({0, 0, kDefaultMicrosecondsPerQuarter});
  for (const TempoChange& c : changes) {
    if (c.microsecondsPerQuarter <= 0) continue;
    const int64_t tick = std::max<int64_t>(c.tick, 0);
    Stretch& last = stretches_.back();
    if (tick == last.tick) {
      last.tempo = c.microsecondsPerQuarter;
      continue;
    }
    if (c.microsecondsPerQuarter == last.tempo) continue;
    stretches_.push_back({tick, last.microseconds + microsecondsForTicks(tick - last.tick, last.tempo),
                          c.microsecondsPerQuarter});
  }
}

const TempoMap::Stretch& TempoMap::stretchAtTick(int64_t tick) const {
  auto it = std::upper_bound(stretches_.begin(), stretches_.end(), tick,
                             [](int64_t t, const Stretch& s) { return t < s.tick; });
  return it == stretches_.begin() ? stretches_.front() : *(it - 1);
}

int64_t TempoMap::microsecondsAt(int64_t tick) const {
  if (tick <= 0) return 0;
  const Stretch& s = stretchAtTick(tick);
  return s.microseconds + microsecondsForTicks(tick - s.tick, s.tempo);
}

int64_t TempoMap::tickAt(int64_t microseconds) const {
  if (microseconds <= 0) return 0;
  auto it = std::upper_bound(stretches_.begin(), stretches_.end(), microseconds,
                             [](int64_t us, const Stretch& s) { return us < s.microseconds; });
  const Stretch& s = it == stretches_.begin() ? stretches_.front() : *(it - 1);
  // Rounding down in both directions can put the tick a hair before the
  // stretch's own start; a stretch never ends before it begins.
  return std::max(s.tick, s.tick + musicTicksFor(microseconds - s.microseconds, s.tempo));
}

int32_t TempoMap::tempoAt(int64_t tick) const { return stretchAtTick(tick).tempo; }

}  // namespace cog
