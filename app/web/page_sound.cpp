#include "app/web/page_sound.h"

#include <unordered_map>

#include "audio/web/web_audio_engine.h"

namespace cog {

namespace {

// Answers from the silent engine, sound from the browser's; the browser's
// engine numbers its segments itself.
class BothEngines : public AudioEngine {
 public:
  BothEngines(SilentAudioEngine& answers, std::unique_ptr<WebAudioEngine> sound)
      : answers_(answers), sound_(std::move(sound)) {}

  SegmentId LoadSegment(const std::string& fileName, std::string& error) override {
    const SegmentId id = answers_.LoadSegment(fileName, error);
    std::string ignored;  // the silent engine has said what is wrong
    if (id != 0) ids_[id] = sound_->LoadSegment(fileName, ignored);
    return id;
  }
  void SetRepeats(SegmentId segment, uint32_t repeats) override {
    answers_.SetRepeats(segment, repeats);
    sound_->SetRepeats(soundId(segment), repeats);
  }
  void SetStartPoint(SegmentId segment, MusicTime start) override {
    answers_.SetStartPoint(segment, start);
    sound_->SetStartPoint(soundId(segment), start);
  }
  SegmentStateId PlaySegment(SegmentId segment, bool secondary) override {
    const SegmentStateId state = answers_.PlaySegment(segment, secondary);
    if (state != 0) sound_->PlaySegment(soundId(segment), secondary);
    return state;
  }
  void Stop() override {
    answers_.Stop();
    sound_->Stop();
  }
  MusicTime GetTime() override { return answers_.GetTime(); }
  MusicTime GetStartTime(SegmentStateId state) override { return answers_.GetStartTime(state); }
  MusicTime GetStartPoint(SegmentStateId state) override { return answers_.GetStartPoint(state); }
  void GetLoopPoints(SegmentId segment, MusicTime& start, MusicTime& end) override {
    answers_.GetLoopPoints(segment, start, end);
  }
  MusicTime GetLength(SegmentId segment) override { return answers_.GetLength(segment); }
  uint32_t GetRepeats(SegmentId segment) override { return answers_.GetRepeats(segment); }
  void SetSourcePosition(float x, float y, float z, bool deferred) override {
    answers_.SetSourcePosition(x, y, z, deferred);
    sound_->SetSourcePosition(x, y, z, deferred);
  }
  void SetListenerPosition(float x, float y, float z, bool deferred) override {
    answers_.SetListenerPosition(x, y, z, deferred);
    sound_->SetListenerPosition(x, y, z, deferred);
  }
  void SetListenerOrientation(const Vec3& front, const Vec3& top, bool deferred) override {
    answers_.SetListenerOrientation(front, top, deferred);
    sound_->SetListenerOrientation(front, top, deferred);
  }
  void SetVolumes(float music, float effects) override {
    answers_.SetVolumes(music, effects);
    sound_->SetVolumes(music, effects);
  }
  void SetPaused(bool paused) override {
    answers_.SetPaused(paused);
    sound_->SetPaused(paused);
  }

 private:
  SegmentId soundId(SegmentId id) const {
    auto it = ids_.find(id);
    return it == ids_.end() ? 0 : it->second;
  }

  SilentAudioEngine& answers_;
  std::unique_ptr<WebAudioEngine> sound_;
  std::unordered_map<SegmentId, SegmentId> ids_;
};

}  // namespace

PageSound::PageSound() = default;
PageSound::~PageSound() = default;
PageSound::PageSound(PageSound&&) noexcept = default;
PageSound& PageSound::operator=(PageSound&&) noexcept = default;

PageSound PageSound::open(bool mute) {
  PageSound sound;
  sound.silent_ = std::make_unique<SilentAudioEngine>();
  sound.silent_->setRecording(false);
  if (!mute) {
    if (std::unique_ptr<WebAudioEngine> web = WebAudioEngine::open())
      sound.sounding_ = std::make_unique<BothEngines>(*sound.silent_, std::move(web));
  }
  return sound;
}

AudioEngine& PageSound::engine() { return sounding_ ? *sounding_ : static_cast<AudioEngine&>(*silent_); }

}  // namespace cog
