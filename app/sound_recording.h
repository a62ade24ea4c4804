#pragma once
// A headless run made audible: the game's whole mix, rendered through
// OpenAL Soft's loopback device and FluidSynth into a WAV file, 44,100 Hz
// 16-bit stereo, exactly 33 ms of sound per tick (1455.3 frames, the
// fraction carried). Nothing depends on the wall clock, so the same inputs
// give the same bytes on every run.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/wav_file.h"

namespace cog {

class AudioEngine;
class AlAudioEngine;

constexpr int kRecordingRate = 44100;

// Frames of sound after `ticks` ticks: round(ticks × 1455.3).
int64_t recordedFramesAfter(int64_t ticks);
// The most ticks a recording can hold (a WAV file's sizes are 32-bit).
int64_t maxRecordedTicks();

class SoundRecording {
 public:
  // Opens the loopback engine with the SoundFont `soundFont` names (empty:
  // the usual search) and creates `path`. nullptr with `error` on failure.
  static std::unique_ptr<SoundRecording> open(const std::string& path, const std::string& soundFont,
                                              std::string& error);
  ~SoundRecording();

  // The engine the game plays on.
  AudioEngine& engine();
  // Why the music is silent ("" when it plays).
  const std::string& musicProblem() const;
  // Renders the next tick's sound, the 33 ms leading up to that tick.
  bool recordTick(std::string& error);
  // Finishes the file.
  bool finish(std::string& error);

 private:
  SoundRecording() = default;

  std::unique_ptr<AlAudioEngine> engine_;
  WavFile wav_;
  int64_t ticks_ = 0;
  std::vector<float> mix_;
  std::vector<int16_t> pcm_;
};

}  // namespace cog
