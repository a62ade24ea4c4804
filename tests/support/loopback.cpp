#include "support/loopback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace cog {

std::unique_ptr<AlAudioEngine> openLoopbackEngine(const SoundFontChoice& soundFont) {
  Result<std::unique_ptr<AlAudioEngine>> engine = AlAudioEngine::openLoopback(kLoopbackRate, soundFont);
  EXPECT_TRUE(engine.ok()) << "the OpenAL loopback engine did not open: " << engine.message();
  return engine ? std::move(engine.value()) : nullptr;
}

std::unique_ptr<AlAudioEngine> openLoopbackEngine() { return openLoopbackEngine(chooseSoundFont(std::string())); }

std::vector<float> renderSeconds(AlAudioEngine& engine, double seconds) {
  std::vector<float> out;
  engine.render(static_cast<int>(seconds * kLoopbackRate), out);
  return out;
}

double rms(const std::vector<float>& stereo, int channel, size_t from, size_t to) {
  to = std::min(to, stereo.size() / 2);
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += double(stereo[2 * i + channel]) * stereo[2 * i + channel];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double rmsBoth(const std::vector<float>& stereo, size_t from, size_t to) {
  return std::hypot(rms(stereo, 0, from, to), rms(stereo, 1, from, to));
}

double dBFS(double level) { return level > 1e-10 ? 20.0 * std::log10(level) : -200.0; }

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_) {
    setenv(name_, old_.c_str(), 1);
  } else {
    unsetenv(name_);
  }
}

}  // namespace cog
