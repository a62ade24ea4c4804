// The feedback sounds of firing and of a robot going down, found by comparing the game before and after a tick.
#include "app/feedback_sounds.h"

#include <string>


namespace cog {

namespace {

// Sound space is the world scaled down by this, as for the game's effects.
constexpr float kWorldPerSoundUnit = 100.0f;

bool sameVec(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

FeedbackSnapshot takeFeedbackSnapshot(const Game& game) {
  FeedbackSnapshot s;
  s.player = game.sim.player.position;
  s.shotPosition = game.actors.shot.position;
  s.shotVelocity = game.actors.shot.velocity;
  s.shotInFlight = game.actors.shot.inFlight != 0;
  for (int i = 0; i < kRobotCount; ++i) {
    s.robotAlive[i] = game.actors.robots[i].alive != 0;
    s.robotPosition[i] = game.actors.robots[i].position;
  }
  return s;
}

FeedbackSounds::FeedbackSounds(const Game& game, AudioEngine& engine, bool enabled) {
  if (!enabled) return;
  engine_ = &engine;
  std::string error;  // a level without them has no feedback sounds
  fire_ = engine.LoadSegment("fire.wav", error);
  robotDown_ = engine.LoadSegment("robot_down.wav", error);
  before_ = takeFeedbackSnapshot(game);
}

void FeedbackSounds::afterTick(const Game& game) {
  if (engine_ == nullptr) return;
  const FeedbackSnapshot now = takeFeedbackSnapshot(game);
  play(before_, now);
  before_ = now;
}

void FeedbackSounds::playAt(SegmentId segment, const Vec3& where) {
  if (engine_ == nullptr || segment == 0) return;
  engine_->SetSourcePosition(where.x / kWorldPerSoundUnit, 0.0f, where.z / kWorldPerSoundUnit, false);
  engine_->PlaySegment(segment, true);
}

void FeedbackSounds::play(const FeedbackSnapshot& was, const FeedbackSnapshot& now) {
  if (engine_ == nullptr) return;
  // A shot can only leave when none is in flight; once it has, it is in
  // flight, or it has moved and already ended within the tick.
  const bool fired = !was.shotInFlight && (now.shotInFlight || !sameVec(was.shotPosition, now.shotPosition) ||
                                           !sameVec(was.shotVelocity, now.shotVelocity));
  if (fired) playAt(fire_, now.player);
  for (int i = 0; i < kRobotCount; ++i)
    if (was.robotAlive[i] && !now.robotAlive[i]) playAt(robotDown_, now.robotPosition[i]);
}

}  // namespace cog
