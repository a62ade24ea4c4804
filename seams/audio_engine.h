#pragma once
// The audio engine: the calls the game makes of its sound system. One 3D
// path carries everything played; there is one 3D sound source on it and
// one listener. Backends: audio/rec (silent, records the calls, keeps a music
// clock) and audio/al (OpenAL Soft with FluidSynth).

#include <cstdint>
#include <string>

#include "base/vec3.h"

namespace cog {

using SegmentId = int32_t;       // 0: none
using SegmentStateId = int32_t;  // 0: none
using MusicTime = int32_t;       // music ticks, 768 per quarter note

constexpr uint32_t kRepeatInfinite = 0xFFFFFFFFu;

class AudioEngine {
 public:
  virtual ~AudioEngine() = default;

  // Loads "Roadsong.mid"-style MIDI music or a WAV effect by file name and
  // makes it ready to play. 0 on failure, with `error` naming the file.
  virtual SegmentId LoadSegment(const std::string& fileName, std::string& error) = 0;
  virtual void SetRepeats(SegmentId segment, uint32_t repeats) = 0;
  virtual void SetStartPoint(SegmentId segment, MusicTime start) = 0;

  // Plays on the one 3D path. A primary segment replaces the primary one
  // playing; a secondary one mixes over everything. Returns the new state.
  virtual SegmentStateId PlaySegment(SegmentId segment, bool secondary) = 0;
  // Stops everything, music and effects.
  virtual void Stop() = 0;

  // The music clock and what the pause arithmetic needs.
  virtual MusicTime GetTime() = 0;
  virtual MusicTime GetStartTime(SegmentStateId state) = 0;
  virtual MusicTime GetStartPoint(SegmentStateId state) = 0;
  virtual void GetLoopPoints(SegmentId segment, MusicTime& start, MusicTime& end) = 0;
  virtual MusicTime GetLength(SegmentId segment) = 0;
  virtual uint32_t GetRepeats(SegmentId segment) = 0;

  // 3D positions in sound space (world / 100). `deferred` settings may be
  // applied by the engine when it next mixes. An effect sounds from where
  // the source stood when it started; the music plays at the listener.
  virtual void SetSourcePosition(float x, float y, float z, bool deferred) = 0;
  virtual void SetListenerPosition(float x, float y, float z, bool deferred) = 0;
  virtual void SetListenerOrientation(const Vec3& front, const Vec3& top, bool deferred) = 0;

  // Presentation, never the game's state. The player's volumes, 0 to 1
  // each, 1 being the game's own mix (steps are the caller's business).
  virtual void SetVolumes(float music, float effects) { (void)music, (void)effects; }
  // A pause of the whole presentation: every sound and the music clock
  // stop where they are and go on from there when it ends; the music state
  // the game knows is unchanged. Plays made while paused wait.
  virtual void SetPaused(bool paused) { (void)paused; }
};

}  // namespace cog
