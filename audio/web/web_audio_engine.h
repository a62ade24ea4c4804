#pragma once
// The browser's sound: the effects play on Emscripten's OpenAL (on WebAudio)
// from the positions the native engine gives them, and the music (MIDI) is
// handed to the page's SoundFont synthesizer (Module.cogMusic, in
// app/web/site/music.js). It only sounds: the game's questions (states,
// lengths, the music clock) are answered by a silent engine beside it
// (app/web/page_sound.h), whose clock the run moves 33 ms a tick, so the
// game and its trace are exactly native's. Built for the browser only.

#include <AL/al.h>
#include <AL/alc.h>

#include <memory>
#include <string>
#include <vector>

#include "seams/audio_engine.h"

namespace cog {

class WebAudioEngine : public AudioEngine {
 public:
  // Null when the page has no audio device.
  static std::unique_ptr<WebAudioEngine> open();
  ~WebAudioEngine() override;
  WebAudioEngine(const WebAudioEngine&) = delete;
  WebAudioEngine& operator=(const WebAudioEngine&) = delete;

  // AudioEngine
  SegmentId LoadSegment(const std::string& fileName, std::string& error) override;
  void SetRepeats(SegmentId segment, uint32_t repeats) override;
  void SetStartPoint(SegmentId segment, MusicTime start) override;
  SegmentStateId PlaySegment(SegmentId segment, bool secondary) override;
  void Stop() override;
  // Nothing to answer: 0 for every question.
  MusicTime GetTime() override { return 0; }
  MusicTime GetStartTime(SegmentStateId) override { return 0; }
  MusicTime GetStartPoint(SegmentStateId) override { return 0; }
  void GetLoopPoints(SegmentId, MusicTime& start, MusicTime& end) override { start = end = 0; }
  MusicTime GetLength(SegmentId) override { return 0; }
  uint32_t GetRepeats(SegmentId) override { return 0; }
  void SetSourcePosition(float x, float y, float z, bool deferred) override;
  void SetListenerPosition(float x, float y, float z, bool deferred) override;
  void SetListenerOrientation(const Vec3& front, const Vec3& top, bool deferred) override;
  void SetVolumes(float music, float effects) override;
  void SetPaused(bool paused) override;

  // The game's mix, as native's.
  static constexpr float kEffectsMix = 2.8f;
  static constexpr int kVoices = 32;

 private:
  struct Sound {
    SegmentId id = 0;
    bool music = false;
    ALuint buffer = 0;
    uint32_t repeats = 0;
    MusicTime startPoint = 0;
    int32_t pulsesPerQuarter = 0;
  };

  WebAudioEngine(ALCdevice* device, ALCcontext* context);
  Sound* find(SegmentId id);
  void playEffect(const Sound& sound);

  ALCdevice* device_ = nullptr;
  ALCcontext* context_ = nullptr;
  std::vector<Sound> sounds_;
  ALuint voices_[kVoices] = {};
  uint64_t serial_[kVoices] = {};
  uint64_t next_ = 0;
  SegmentStateId states_ = 0;
  float sourcePos_[3] = {0.0f, 0.0f, 0.0f};  // OpenAL space
  bool paused_ = false;
};

}  // namespace cog
