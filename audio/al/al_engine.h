#pragma once
// The sounding audio engine: OpenAL Soft plays everything, FluidSynth turns
// the MIDI music into sound. The only file with OpenAL and FluidSynth calls.
//
// One 3D path: every play sits at the one source position, so moving it
// moves everything playing and everything started later. Effects (WAV files)
// play on a small pool of mono sources and overlap; the music (a MIDI file)
// is rendered by FluidSynth, mixed to mono and streamed to its own source.
//
// Positions and orientations come in the game's left-handed sound space (y up,
// z ahead when facing front (0, 0, 1), +x then to the right); OpenAL is
// right-handed, so z is mirrored on the way in.
//
// The music clock counts the music actually played by the music source at
// the tempo of the last MIDI file loaded, 768 ticks per quarter note, so a
// pause computed from it resumes where the music stood.
//
// When the piece ends, FluidSynth lets the last notes die away for about two
// seconds; that tail sounds and counts on the clock like the rest.
//
// OpenAL's current context is process-wide: have one engine open at a time.
//
// Two ways to open it: open() on the default output device, fed by the
// engine's own thread, and openLoopback() on an OpenAL Soft loopback device
// that mixes only when render() is called (the tests; nothing runs in the
// background there, so every result follows from the frames rendered).

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

#include "audio/engine.h"
#include "audio/media.h"
#include "audio/play_states.h"

// Where a SoundFont is looked for when COGSTORM_SOUNDFONT is not set.
constexpr const char* kSoundFontFolder = "/usr/share/sounds/sf2";

// The SoundFont the music will use: $COGSTORM_SOUNDFONT if set (even when it
// names a missing file, so the error says so), else TimGM6mb.sf2 or
// default-GM.sf2 in kSoundFontFolder. "" with `error` when there is none.
std::string findSoundFont(std::string& error);

class AlAudioEngine : public AudioEngine {
 public:
  // The default output device. nullptr with `error` when there is no device
  // or no SoundFont; the caller then falls back to the silent engine.
  static std::unique_ptr<AlAudioEngine> open(std::string& error);
  // A loopback device mixing stereo float at `sampleRate`, for render().
  // Fails (nullptr, `error`) when OpenAL lacks ALC_SOFT_loopback.
  static std::unique_ptr<AlAudioEngine> openLoopback(int sampleRate, std::string& error);

  ~AlAudioEngine() override;
  AlAudioEngine(const AlAudioEngine&) = delete;
  AlAudioEngine& operator=(const AlAudioEngine&) = delete;

  // Loopback only: mixes `frames` stereo frames into `out` (interleaved left,
  // right floats; resized to 2 * frames), feeding the music as it goes. A
  // no-op returning silence on a device opened with open().
  void render(int frames, std::vector<float>& out);

  int sampleRate() const { return sampleRate_; }

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

  // How many effects can sound at once; a play beyond that takes the source
  // of the oldest one.
  static constexpr int kEffectSources = 16;
  // The music stream: buffers of this many frames, this many queued ahead.
  static constexpr int kStreamFrames = 1024;
  static constexpr int kStreamBuffers = 6;
  // How many recent play states are remembered for the state queries.
  static constexpr size_t kKeptStates = PlayStateRing::kKept;

  // For tests: whether the music stream is sounding, and how many effect
  // sources are playing.
  bool musicSounding();
  int effectsSounding();

 private:
  struct Device;  // the OpenAL and FluidSynth handles
  struct Segment : SegmentBasics {
    MidiInfo midi;          // music
    unsigned buffer = 0;    // effect: the AL buffer, mono
    int32_t sampleRate = 0; // effect
    int64_t frames = 0;     // effect
  };

  AlAudioEngine();
  bool init(bool loopback, int sampleRate, std::string& error);
  void feedLoop();

  // All below with mutex_ held.
  int64_t musicFramesPlayed();
  MusicTime clockNow();
  void setTempo(int32_t microsecondsPerQuarter);
  void stopMusic();
  bool startMusic(const Segment& s);
  void playEffect(const Segment& s);
  void feedMusic();
  bool renderMusicBuffer(unsigned buffer);
  void applySourcePosition(unsigned source);

  std::unique_ptr<Device> dev_;
  std::mutex mutex_;
  bool loopback_ = false;
  int sampleRate_ = 0;

  SegmentTable<Segment> segments_;
  PlayStateRing states_;

  float sourcePos_[3] = {0.0f, 0.0f, 0.0f};  // OpenAL space

  // The music clock.
  int32_t microsecondsPerQuarter_ = kDefaultMicrosecondsPerQuarter;
  int64_t baseTicks_ = 0;        // the clock at the last tempo change
  int64_t framesAtTempo_ = 0;    // music frames played when the tempo last changed
  int64_t streamFramesDone_ = 0; // frames of every music buffer played and taken back
  std::deque<int> queuedFrames_; // frames of each buffer queued on the music source, oldest first
  bool musicActive_ = false;     // the player still has music to render
  bool streamLive_ = false;      // the stream has buffers that may still sound

  std::thread feeder_;
  std::condition_variable wake_;
  bool quit_ = false;
};
