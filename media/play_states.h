#pragma once
// What every audio engine keeps about its segments and plays: the segments
// loaded, by id (1, 2, ... in load order), and the play states handed out,
// the current primary one always and the recent ones in a ring, so state
// queries stay answerable without keeping every play ever made.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "seams/audio_engine.h"

namespace cog {

// The fields every engine keeps for a segment; an engine's own segment type
// adds what it needs to play it.
struct SegmentBasics {
  std::string name;
  bool music = false;
  MusicTime length = 0;
  MusicTime loopStart = 0;
  MusicTime loopEnd = 0;
  uint32_t repeats = 0;
  MusicTime startPoint = 0;
};

template <typename Segment>
class SegmentTable {
 public:
  // Keeps the segment and returns its id.
  SegmentId add(Segment segment) {
    items_.push_back(std::move(segment));
    return static_cast<SegmentId>(items_.size());
  }
  // The segment of an id, nullptr for an unknown one.
  Segment* find(SegmentId segment) {
    if (segment <= 0 || static_cast<size_t>(segment) > items_.size()) return nullptr;
    return &items_[static_cast<size_t>(segment) - 1];
  }
  const Segment* find(SegmentId segment) const {
    if (segment <= 0 || static_cast<size_t>(segment) > items_.size()) return nullptr;
    return &items_[static_cast<size_t>(segment) - 1];
  }
  // Every segment, in id order.
  const std::vector<Segment>& all() const { return items_; }

 private:
  std::vector<Segment> items_;  // id - 1
};

struct PlayState {
  SegmentStateId id = 0;
  SegmentId segment = 0;
  MusicTime startTime = 0;
  MusicTime startPoint = 0;
  bool secondary = false;
  bool stopped = false;
};

class PlayStateRing {
 public:
  // How many recent play states are remembered; older ones are forgotten,
  // except the current primary one.
  static constexpr size_t kKept = 64;

  // A new state for a play starting at `startTime`. With `primary` it
  // becomes the primary state, and the one it replaces counts as stopped.
  const PlayState& start(SegmentId segment, MusicTime startTime, MusicTime startPoint, bool secondary, bool primary) {
    PlayState state;
    lastId_ = lastId_ == std::numeric_limits<SegmentStateId>::max() ? 1 : lastId_ + 1;
    state.id = lastId_;
    state.segment = segment;
    state.startTime = startTime;
    state.startPoint = startPoint;
    state.secondary = secondary;
    if (primary) {
      if (primary_.id != 0) {
        PlayState& old = slot(primary_.id);
        if (old.id == primary_.id) old.stopped = true;
      }
      primary_ = state;
    }
    slot(state.id) = state;
    return slot(state.id);
  }
  // The state of an id while it is remembered, else nullptr.
  const PlayState* find(SegmentStateId state) const {
    if (state <= 0) return nullptr;
    if (primary_.id == state) return &primary_;
    const PlayState& kept = recent_[static_cast<size_t>(state) % kKept];
    return kept.id == state ? &kept : nullptr;
  }
  // The current primary state (id 0: none yet).
  const PlayState& primary() const { return primary_; }
  // Marks every remembered state stopped.
  void stopAll() {
    primary_.stopped = true;
    for (PlayState& s : recent_) s.stopped = true;
  }
  // The remembered states, in ring order (id 0: an empty slot).
  const PlayState* begin() const { return recent_; }
  const PlayState* end() const { return recent_ + kKept; }

 private:
  PlayState& slot(SegmentStateId id) { return recent_[static_cast<size_t>(id) % kKept]; }

  PlayState primary_;       // id 0: none
  PlayState recent_[kKept];  // ring, by state id
  SegmentStateId lastId_ = 0;
};

}  // namespace cog
