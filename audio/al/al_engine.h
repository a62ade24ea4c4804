#pragma once
// The sounding audio engine: OpenAL Soft plays everything, FluidSynth turns
// the MIDI music into sound. The only files with OpenAL and FluidSynth calls
// are this engine's.
//
// The one 3D source of the game is a position: each effect (a WAV file)
// takes the position the source has when the effect starts and keeps it
// while it sounds, on a pool of mono voices that overlap. The music (a MIDI
// file) is rendered in stereo by FluidSynth and streamed to a voice of its
// own at the listener (head-relative), so it keeps one level wherever the
// player walks.
//
// Positions and orientations come in the game's left-handed sound space (y up,
// z ahead when facing front (0, 0, 1), +x then to the right); OpenAL is
// right-handed, so z is mirrored on the way in.
//
// The music clock (media/music_clock.h) counts the music actually played by
// the music voice and follows the piece's tempo map, so a pause computed
// from it resumes where the music stood. When the piece ends, FluidSynth
// lets the last notes die away for a moment; that tail counts at the
// piece's last tempo.
//
// Without a SoundFont the engine still opens: the effects play, the music
// plays as silence (its clock runs as if it sounded), and musicProblem()
// says why and how to fix it.
//
// OpenAL's current context is process-wide: have one engine open at a time.
//
// Two ways to open it: open() on the default output device, fed by the
// engine's own thread, and openLoopback() on an OpenAL Soft loopback device
// that mixes only when render() is called (headless recordings and the
// tests; nothing runs in the background there, so every result follows from
// the frames rendered and is the same on every run).
//
// The parts, one file each: the device and its context (al_device), the
// music stream (music_stream), the effect voices (effect_voices); this file
// holds the calls of the game and the music clock over them.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/al/soundfont_search.h"
#include "base/status.h"
#include "media/midi.h"
#include "media/music_clock.h"
#include "media/play_states.h"
#include "seams/audio_engine.h"

namespace cog {

class AlDevice;
class EffectVoices;
class MusicStream;

class AlAudioEngine : public AudioEngine {
 public:
  // The default output device. A failure ("audio: ...") when there is no
  // device; the caller then falls back to the silent engine.
  static Result<std::unique_ptr<AlAudioEngine>> open(const SoundFontChoice& soundFont);
  // A loopback device mixing stereo float at `sampleRate`, for render().
  // Fails when OpenAL lacks ALC_SOFT_loopback.
  static Result<std::unique_ptr<AlAudioEngine>> openLoopback(int sampleRate, const SoundFontChoice& soundFont);
  // The same with the SoundFont found in the environment and the usual folders.
  static Result<std::unique_ptr<AlAudioEngine>> open();
  static Result<std::unique_ptr<AlAudioEngine>> openLoopback(int sampleRate);

  ~AlAudioEngine() override;
  AlAudioEngine(const AlAudioEngine&) = delete;
  AlAudioEngine& operator=(const AlAudioEngine&) = delete;

  // Loopback only: mixes `frames` stereo frames into `out` (interleaved left,
  // right floats; resized to 2 * frames), feeding the music as it goes. A
  // no-op returning silence on a device opened with open().
  void render(int frames, std::vector<float>& out);

  int sampleRate() const { return sampleRate_; }
  // Why the music is silent ("" when it plays): one line for the player.
  const std::string& musicProblem() const { return musicProblem_; }

  // AudioEngine
  SegmentId LoadSegment(const std::string& fileName, std::string& error) override;
  void SetRepeats(SegmentId segment, uint32_t repeats) override;
  void SetStartPoint(SegmentId segment, MusicTime start) override;
  SegmentStateId PlaySegment(SegmentId segment, bool secondary) override;
  void Stop() override;
  MusicTime GetTime() override;
  MusicTime GetStartTime(SegmentStateId state) override;
  MusicTime GetStartPoint(SegmentStateId state) override;
  void GetLoopPoints(SegmentId segment, MusicTime& start, MusicTime& end) override;
  MusicTime GetLength(SegmentId segment) override;
  uint32_t GetRepeats(SegmentId segment) override;
  void SetSourcePosition(float x, float y, float z, bool deferred) override;
  void SetListenerPosition(float x, float y, float z, bool deferred) override;
  void SetListenerOrientation(const Vec3& front, const Vec3& top, bool deferred) override;
  void SetVolumes(float music, float effects) override;
  void SetPaused(bool paused) override;

  // The game's mix, the gains at volume 1: the footsteps of robots about
  // the level sit with the music instead of 10 dB under it (the levels
  // measured are in the README).
  static constexpr float kMusicMix = 1.4f;
  static constexpr float kEffectsMix = 2.8f;

  // How many effects can sound at once: every robot's footsteps of two walk
  // cycles and the death sound. A play beyond that takes the voice of the
  // effect started longest ago.
  static constexpr int kEffectSources = 32;
  // The music stream: buffers of this many frames, this many queued ahead.
  static constexpr int kStreamFrames = 1024;
  static constexpr int kStreamBuffers = 6;
  // How many recent play states are remembered for the state queries.
  static constexpr size_t kKeptStates = PlayStateRing::kKept;

  // For tests: whether the music stream is sounding, and how many effect
  // voices are playing.
  bool musicSounding();
  int effectsSounding();

 private:
  struct Segment;

  AlAudioEngine();
  Status init(Result<std::unique_ptr<AlDevice>> device, const SoundFontChoice& soundFont);
  void feedLoop();

  // All below with mutex_ held.
  int64_t clockMicroseconds();  // into the clock's current stretch
  void newClockStretch();       // marks where the next stretch begins
  MusicTime clockNow();
  void stopMusic();
  bool startMusic(const Segment& s);
  void playEffect(const Segment& s);

  // Gone in reverse order: the voices let go of the sounds' buffers before
  // those are deleted, and the device closes last.
  std::unique_ptr<AlDevice> device_;
  std::unique_ptr<SegmentTable<Segment>> segments_;
  std::unique_ptr<EffectVoices> voices_;
  std::unique_ptr<MusicStream> music_;
  std::mutex mutex_;
  int sampleRate_ = 0;
  std::string musicProblem_;
  PlayStateRing states_;

  float sourcePos_[3] = {0.0f, 0.0f, 0.0f};  // OpenAL space: where the next effect sounds
  bool paused_ = false;

  // The music clock.
  int32_t microsecondsPerQuarter_ = kDefaultMicrosecondsPerQuarter;  // of the last MIDI file loaded
  MusicClock clock_;
  int64_t framesAtStretch_ = 0;  // music frames played when the clock's stretch began

  std::thread feeder_;
  std::condition_variable wake_;
  bool quit_ = false;
};

}  // namespace cog
