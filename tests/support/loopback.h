#pragma once
// Listening to the sounding engine in tests: an OpenAL Soft loopback device
// mixed frame by frame, and measures of what comes out.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/al/al_engine.h"

namespace cog {

constexpr int kLoopbackRate = 48000;

// Opens the loopback engine (the usual SoundFont unless one is given),
// failing the test when it cannot.
std::unique_ptr<AlAudioEngine> openLoopbackEngine();
std::unique_ptr<AlAudioEngine> openLoopbackEngine(const SoundFontChoice& soundFont);

// `seconds` of the mix, interleaved left and right.
std::vector<float> renderSeconds(AlAudioEngine& engine, double seconds);

// Root mean square of one channel (0 left, 1 right) over frames [from, to).
double rms(const std::vector<float>& stereo, int channel, size_t from = 0, size_t to = SIZE_MAX);
// Of both channels together.
double rmsBoth(const std::vector<float>& stereo, size_t from = 0, size_t to = SIZE_MAX);
// A level in dB relative to full scale (-200 for silence).
double dBFS(double rms);

// Sets an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace cog
