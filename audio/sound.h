#pragma once
// The game's music and sound effects on top of the audio engine: set-up,
// effects, the 3D source and listener, and the music toggle.

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "seams/audio_engine.h"

namespace cog {

// The game's sound: the engine it plays on, its three segments, the music
// state and where a pause left the music.
struct AudioState {
  AudioEngine* engine = nullptr;  // not owned
  SegmentId musicSegment = 0;
  SegmentId gunSegment = 0;
  SegmentId deadSegment = 0;
  SegmentStateId musicState = 0;  // 0: the music has no state yet
  uint8_t musicPlaying = 1;       // 1: the next toggle pauses
  MusicTime musicStartPoint = 5000;
  // Every effect started, in order, since the owner last cleared the list
  // (the headless runner's trace reads and clears it after each tick).
  std::vector<SegmentId> startedEffects;

  void reset() { *this = AudioState(); }

  // Loads "Roadsong.mid", "gun.wav", "dead.wav" (bare names, working
  // directory), sets repeats and start points, places the listener and the
  // source, and starts the music from its start point. A failure names the
  // file.
  Status setup(AudioEngine& audioEngine);

  void playEffect(SegmentId segment);
  void placeSoundSource(float x, float z);
  void ToggleMusic();
  // The listener at the player's position and heading (degrees), then the
  // source at its fixed place.
  void UpdateListener(const Vec3& position, float heading);
  // Stops everything and forgets the engine; the effects of the last tick
  // stay for the owner to read.
  void shutdown();
};

}  // namespace cog
