#include "app/sound_recording.h"

#include <cmath>

#include "audio/al/al_engine.h"

namespace cog {

int64_t recordedFramesAfter(int64_t ticks) {
  // 1455.3 = 14553 / 10; halves round up.
  return (ticks * 14553 + 5) / 10;
}

int64_t maxRecordedTicks() {
  const int64_t frames = static_cast<int64_t>(WavFile::kMaxDataBytes / 4);
  return (frames * 10 - 5) / 14553;
}

std::unique_ptr<SoundRecording> SoundRecording::open(const std::string& path, const std::string& soundFont,
                                                     std::string& error) {
  std::unique_ptr<SoundRecording> r(new SoundRecording());
  Result<std::unique_ptr<AlAudioEngine>> engine = AlAudioEngine::openLoopback(kRecordingRate, chooseSoundFont(soundFont));
  if (!engine) {
    error = engine.message();
    return nullptr;
  }
  r->engine_ = std::move(engine.value());
  if (!r->wav_.open(path, kRecordingRate, 2, error)) return nullptr;
  return r;
}

SoundRecording::~SoundRecording() = default;

AudioEngine& SoundRecording::engine() { return *engine_; }

const std::string& SoundRecording::musicProblem() const { return engine_->musicProblem(); }

bool SoundRecording::recordTick(std::string& error) {
  const int64_t frames = recordedFramesAfter(ticks_ + 1) - recordedFramesAfter(ticks_);
  ++ticks_;
  engine_->render(static_cast<int>(frames), mix_);
  pcm_.resize(mix_.size());
  for (size_t i = 0; i < mix_.size(); ++i) {
    const float v = mix_[i] * 32767.0f;
    // Clipped, and rounded to nearest; NaN is silence.
    pcm_[i] = !(v == v) ? 0 : v >= 32767.0f ? 32767 : v <= -32768.0f ? -32768 : static_cast<int16_t>(std::lrint(v));
  }
  return wav_.append(pcm_.data(), pcm_.size(), error);
}

bool SoundRecording::finish(std::string& error) { return wav_.close(error); }

}  // namespace cog
