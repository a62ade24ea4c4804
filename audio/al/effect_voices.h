#pragma once
// The effect voices: a pool of mono OpenAL sources that overlap. Each
// effect keeps the 3D position it started at; a play beyond the pool takes
// the voice of the effect started longest ago.

#include <cstdint>

#include "audio/al/al_handles.h"

namespace cog {

// What a voice needs of a sound to play it.
struct EffectSound {
  ALuint buffer = 0;  // mono
  int32_t sampleRate = 0;
  int64_t frames = 0;
  uint32_t repeats = 0;
  int64_t startPoint = 0;  // music ticks, at the tempo given to play()
};

class EffectVoices {
 public:
  // How many effects can sound at once: every robot's footsteps of two walk
  // cycles and the death sound.
  static constexpr int kVoices = 32;
  // The highest gain a voice takes.
  static constexpr float kMaxGain = 16.0f;

  // Creates the sources on the current context (the caller checks
  // alGetError); they are deleted with the context current too.
  EffectVoices();
  ~EffectVoices();
  EffectVoices(const EffectVoices&) = delete;
  EffectVoices& operator=(const EffectVoices&) = delete;

  // Plays `sound` from `position` (OpenAL space); a start point counts at
  // `microsecondsPerQuarter`. While paused the voice waits at its start.
  void play(const EffectSound& sound, const float position[3], int32_t microsecondsPerQuarter, bool paused);
  void stopAll();
  // Holds every sounding voice where it is, or lets them go on.
  void pause(bool paused);
  // The gain of every voice (1: as the sounds were made).
  void setGain(float gain);
  int sounding() const;

 private:

  ALuint sources_[kVoices] = {};
  uint64_t serial_[kVoices] = {};  // when each last started
  uint64_t next_ = 0;
};

}  // namespace cog
