#include "audio/sound.h"

#include <cmath>
#include <utility>

#include "base/result.h"
#include "base/vec.h"

namespace cog {

AudioState audio;

namespace {

constexpr MusicTime kMaxMusicTime = 2147483647;

// Sound space is world space over 100 on x and z, at height 0.
constexpr float kSoundScale = 100.0f;

bool loadNamed(AudioEngine& engine, const std::string& name, SegmentId& segment, std::string& error) {
  error.clear();
  segment = engine.LoadSegment(name, error);
  if (segment != 0) return true;
  if (error.find(name) == std::string::npos) error = name + ": " + (error.empty() ? "cannot be loaded" : error);
  return false;
}

}  // namespace

int32_t setupAudio(AudioEngine& engine, std::string& error) {
  audio.reset();
  SegmentId music = 0;
  SegmentId gun = 0;
  SegmentId dead = 0;
  if (!loadNamed(engine, "Roadsong.mid", music, error)) return E_FAIL;
  if (!loadNamed(engine, "gun.wav", gun, error)) return E_FAIL;
  if (!loadNamed(engine, "dead.wav", dead, error)) return E_FAIL;

  audio.musicSegment = music;
  audio.gunSegment = gun;
  audio.deadSegment = dead;
  engine.SetRepeats(music, 1);
  engine.SetStartPoint(music, audio.musicStartPoint);
  engine.SetStartPoint(dead, 0);
  engine.SetListenerOrientation(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 1.0f, 0.0f), false);
  engine.SetSourcePosition(-10.0f, 0.0f, 0.0f, false);

  // The music plays from the start, so the first music key pauses it and
  // every pause has the state of a play behind it.
  audio.musicState = engine.PlaySegment(music, false);
  audio.musicPlaying = 1;
  audio.engine = &engine;
  return kOk;
}

void playEffect(SegmentId segment) {
  if (audio.engine == nullptr) return;
  audio.engine->PlaySegment(segment, true);
  audio.startedEffects.push_back(segment);
}

void placeSoundSource(float x, float z) {
  if (audio.engine == nullptr) return;
  audio.engine->SetSourcePosition(x / kSoundScale, 0.0f, z / kSoundScale, true);
}

void UpdateListener(const Vec3& position, float heading) {
  if (audio.engine == nullptr) return;
  const float angle = heading * kDegToRad;
  const Vec3 front(static_cast<float>(std::sin(static_cast<double>(angle))), 0.0f,
                   static_cast<float>(std::cos(static_cast<double>(angle))));
  audio.engine->SetListenerOrientation(front, Vec3(0.0f, 1.0f, 0.0f), true);
  audio.engine->SetListenerPosition(position.x / kSoundScale, 0.0f, position.z / kSoundScale, true);
  placeSoundSource(-25.0f, 625.0f);
}

void ToggleMusic() {
  AudioEngine* engine = audio.engine;
  if (engine == nullptr) return;
  if (audio.musicPlaying == 0 || audio.musicState == 0) {
    // Plays from the segment's start point: where the last pause left it.
    audio.musicState = engine->PlaySegment(audio.musicSegment, false);
    audio.musicPlaying = 1;
    return;
  }

  // Pause: stop everything, effects too, and work out from the music clock
  // where in the piece the music stood, folding the passes of the loop.
  engine->Stop();
  const int64_t now = engine->GetTime();
  const int64_t startTime = engine->GetStartTime(audio.musicState);
  const int64_t startPoint = engine->GetStartPoint(audio.musicState);
  MusicTime loopStart32 = 0;
  MusicTime loopEnd32 = 0;
  engine->GetLoopPoints(audio.musicSegment, loopStart32, loopEnd32);
  const int64_t length = engine->GetLength(audio.musicSegment);
  const uint32_t repeats = engine->GetRepeats(audio.musicSegment);
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

  audio.musicStartPoint = static_cast<MusicTime>(offset);
  engine->SetStartPoint(audio.musicSegment, audio.musicStartPoint);
  audio.musicPlaying = 0;
}

void shutdownAudio() {
  if (audio.engine != nullptr) audio.engine->Stop();
  // The effects of the last tick stay for the owner to read.
  std::vector<SegmentId> started = std::move(audio.startedEffects);
  audio.reset();
  audio.startedEffects = std::move(started);
}

}  // namespace cog
