#pragma once
// Feedback sounds: "fire.wav" when the player's shot leaves and
// "robot_down.wav" when a robot is destroyed, each placed in 3D where it
// happened, like the game's effects. Presentation only: they are worked out
// by comparing the game before and after each tick, never enter the game's
// list of effects started (nor the trace) and change nothing in the game.
// A level folder without the files simply has no feedback sounds.

#include <array>

#include "base/vec3.h"
#include "game/game.h"
#include "level/model.h"
#include "seams/audio_engine.h"

namespace cog {

// What the feedback needs of the game between two ticks.
struct FeedbackSnapshot {
  Vec3 player;
  Vec3 shotPosition;
  Vec3 shotVelocity;
  bool shotInFlight = false;
  std::array<bool, kRobotCount> robotAlive{};
  std::array<Vec3, kRobotCount> robotPosition{};
};

// The game as it stands now.
FeedbackSnapshot takeFeedbackSnapshot(const Game& game);

class FeedbackSounds {
 public:
  // Loads the two sounds from the working directory (the level folder) on
  // `engine`, for `game` as it stands before its first tick (started); off
  // when `enabled` is false.
  FeedbackSounds(const Game& game, AudioEngine& engine, bool enabled);

  // Call once each tick has run: plays what changed since the last call
  // (or since the sounds were loaded, which is before the first tick).
  void afterTick(const Game& game);
  // Plays what changed from `was` to `now`: the shot leaving (at the
  // player), each robot going down (where it stood).
  void play(const FeedbackSnapshot& was, const FeedbackSnapshot& now);

  bool active() const { return fire_ != 0 || robotDown_ != 0; }

 private:
  void playAt(SegmentId segment, const Vec3& where);

  AudioEngine* engine_ = nullptr;
  SegmentId fire_ = 0;
  SegmentId robotDown_ = 0;
  FeedbackSnapshot before_;
};

}  // namespace cog
