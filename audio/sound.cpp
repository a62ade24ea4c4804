#include "audio/sound.h"

#include <cmath>
#include <utility>

#include "base/result.h"
#include "base/vec.h"

namespace cog {

namespace {

constexpr MusicTime kMaxMusicTime = 2147483647;

// Sound space is world space over 100 on x and z, at height 0.
constexpr float kSoundScale = 100.0f;

Status loadNamed(AudioEngine& engine, const std::string& name, SegmentId& segment) {
  std::string error;
  segment = engine.LoadSegment(name, error);
  if (segment != 0) return okStatus();
  if (error.find(name) == std::string::npos) error = name + ": " + (error.empty() ? "cannot be loaded" : error);
  return Status::failure(error);
}

}  // namespace

Status AudioState::setup(AudioEngine& audioEngine) {
  reset();
  SegmentId music = 0;
  SegmentId gun = 0;
  SegmentId dead = 0;
  if (Status s = loadNamed(audioEngine, "Roadsong.mid", music); !s) return s;
  if (Status s = loadNamed(audioEngine, "gun.wav", gun); !s) return s;
  if (Status s = loadNamed(audioEngine, "dead.wav", dead); !s) return s;

  musicSegment = music;
  gunSegment = gun;
  deadSegment = dead;
  audioEngine.SetRepeats(music, 1);
  audioEngine.SetStartPoint(music, musicStartPoint);
  audioEngine.SetStartPoint(dead, 0);
  audioEngine.SetListenerOrientation(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 1.0f, 0.0f), false);
  audioEngine.SetSourcePosition(-10.0f, 0.0f, 0.0f, false);

  // The music plays from the start, so the first music key pauses it and
  // every pause has the state of a play behind it.
  musicState = audioEngine.PlaySegment(music, false);
  musicPlaying = 1;
  engine = &audioEngine;
  return okStatus();
}

void AudioState::playEffect(SegmentId segment) {
  if (engine == nullptr) return;
  engine->PlaySegment(segment, true);
  startedEffects.push_back(segment);
}

void AudioState::placeSoundSource(float x, float z) {
  if (engine == nullptr) return;
  engine->SetSourcePosition(x / kSoundScale, 0.0f, z / kSoundScale, true);
}

void AudioState::UpdateListener(const Vec3& position, float heading) {
  if (engine == nullptr) return;
  const float angle = heading * kDegToRad;
  const Vec3 front(static_cast<float>(std::sin(static_cast<double>(angle))), 0.0f,
                   static_cast<float>(std::cos(static_cast<double>(angle))));
  engine->SetListenerOrientation(front, Vec3(0.0f, 1.0f, 0.0f), true);
  engine->SetListenerPosition(position.x / kSoundScale, 0.0f, position.z / kSoundScale, true);
  placeSoundSource(-25.0f, 625.0f);
}

void AudioState::ToggleMusic() {
  if (engine == nullptr) return;
  if (musicPlaying == 0 || musicState == 0) {
    // Plays from the segment's start point: where the last pause left it.
    musicState = engine->PlaySegment(musicSegment, false);
    musicPlaying = 1;
    return;
  }

  // Pause: stop everything, effects too, and work out from the music clock
  // where in the piece the music stood, folding the passes of the loop.
  engine->Stop();
  const int64_t now = engine->GetTime();
  const int64_t startTime = engine->GetStartTime(musicState);
  const int64_t startPoint = engine->GetStartPoint(musicState);
  MusicTime loopStart32 = 0;
  MusicTime loopEnd32 = 0;
  engine->GetLoopPoints(musicSegment, loopStart32, loopEnd32);
  const int64_t length = engine->GetLength(musicSegment);
  const uint32_t repeats = engine->GetRepeats(musicSegment);
  const int64_t loopStart = loopStart32;
  int64_t loopEnd = loopEnd32;

  int64_t offset = now - (startTime - startPoint);
  if (loopEnd == 0) loopEnd = length;
  if (repeats != 0 && loopStart < loopEnd && loopEnd > startPoint) {
    const int64_t span = loopEnd - loopStart;
    // Offsets stay within 2^34 of zero; a repeat count whose passes reach
    // past 2^40 cannot be exceeded (and would overflow the product).
    const bool reachable = static_cast<int64_t>(repeats) <= (int64_t{1} << 40) / span;
    if (repeats != kRepeatInfinite && reachable && offset > loopStart + span * static_cast<int64_t>(repeats)) {
      offset -= span * static_cast<int64_t>(repeats);
    } else if (offset > loopStart) {
      offset = loopStart + (offset - loopStart) % span;
    }
  }
  if (offset >= kMaxMusicTime) offset = kMaxMusicTime;

  musicStartPoint = static_cast<MusicTime>(offset);
  engine->SetStartPoint(musicSegment, musicStartPoint);
  musicPlaying = 0;
}

void AudioState::shutdown() {
  if (engine != nullptr) engine->Stop();
  std::vector<SegmentId> started = std::move(startedEffects);
  reset();
  startedEffects = std::move(started);
}

}  // namespace cog
