#pragma once
// The silent audio engine: plays nothing, records every call in order and
// keeps a music clock that moves only when its owner says so. Headless runs
// and the tests use it; it checks the media at load time with the same
// readers as the sounding engine (media/midi.h, media/wav.h).
//
// The owner drives it: advance(ms) once per tick (the headless runner passes
// 33), and clearCalls() once it has read the calls of the tick. Recording is
// on from the start; setRecording(false) stops it for long runs that never
// read the calls.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "seams/audio_engine.h"
#include "media/midi.h"
#include "media/wav.h"
#include "media/music_clock.h"
#include "media/play_states.h"
#include "base/vec3.h"

namespace cog {

// ---------------------------------------------------------------------------
// The recorded calls.

enum class AudioOp : uint8_t {
  LoadSegment,             // segment: the new id (0 on failure), value: the attempt (see loadName)
  SetRepeats,              // segment, value: repeats
  SetStartPoint,           // segment, value: start point
  PlaySegment,             // segment, flag: secondary, value: the new state
  Stop,
  GetTime,                 // value: the time returned
  GetStartTime,            // segment: the state, value: the time returned
  GetStartPoint,           // segment: the state, value: the point returned
  GetLoopPoints,           // segment, value: loop start, value2: loop end
  GetLength,               // segment, value: the length returned
  GetRepeats,              // segment, value: the repeats returned
  SetSourcePosition,       // a: position, flag: deferred
  SetListenerPosition,     // a: position, flag: deferred
  SetListenerOrientation,  // a: front, b: top, flag: deferred
  SetVolumes,              // a.x: music, a.y: effects
  SetPaused,               // flag: paused
};

struct AudioCall {
  AudioOp op = AudioOp::Stop;
  bool flag = false;
  int32_t segment = 0;  // segment or segment state, see AudioOp
  int64_t value = 0;
  int64_t value2 = 0;
  Vec3 a;
  Vec3 b;
};

const char* audioOpName(AudioOp op);

// ---------------------------------------------------------------------------

// Segments: a file named .mid or .midi is music, anything else a WAV
// effect. Music has the length of its MIDI file and sets the clock's tempo;
// an effect's length is its duration in music ticks at the tempo when it was
// loaded. Loop points are 0, 0 and repeats 0 until set.
class SilentAudioEngine : public AudioEngine {
 public:
  SilentAudioEngine() = default;

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

  // The clock: music time advances by the music ticks of `milliseconds`,
  // following the tempo map of the piece playing (see media/music_clock.h);
  // with none it runs at the tempo of the last MIDI file loaded or the one
  // the music stopped at (120 bpm before any). Ticks are counted from the
  // total time, so per-tick steps never drift. Negative steps, and steps
  // while paused, are ignored.
  // Music time wraps at 32 bits like the platform's.
  void advance(int64_t milliseconds);
  MusicTime now() const;  // the clock, without recording a call
  // The tempo of the last MIDI file loaded (120 bpm before any).
  int32_t microsecondsPerQuarter() const { return microsecondsPerQuarter_; }
  // The last SetPaused and SetVolumes (1, 1 before any).
  bool paused() const { return paused_; }
  float musicVolume() const { return musicVolume_; }
  float effectsVolume() const { return effectsVolume_; }

  // The calls since the last clear, in order.
  const std::vector<AudioCall>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  void setRecording(bool on) { recording_ = on; }

  // What is sounding now: the primary segment (until stopped or played out)
  // and the effects started within the last kKeptStates plays that have not
  // been stopped or played out.
  bool musicSounding() const;
  int32_t effectsSounding() const;

  // The file name a segment was loaded from ("" for an unknown id), and the
  // file name a recorded LoadSegment call asked for.
  std::string segmentName(SegmentId segment) const;
  std::string loadName(const AudioCall& call) const;
  // One call as a line of text, e.g. "PlaySegment 1 secondary -> 7".
  std::string describe(const AudioCall& call) const;

  // How many recent play states are remembered for the state queries; older
  // ones answer 0, except the current primary one, which is always kept.
  static constexpr size_t kKeptStates = PlayStateRing::kKept;

 private:
  struct Segment : SegmentBasics {
    std::shared_ptr<const TempoMap> tempos;  // music
  };

  bool sounding(const PlayState& state) const;
  void record(const AudioCall& call);
  void setTempo(int32_t microsecondsPerQuarter);

  SegmentTable<Segment> segments_;
  PlayStateRing states_;

  int32_t microsecondsPerQuarter_ = kDefaultMicrosecondsPerQuarter;
  MusicClock clock_;
  int64_t microsecondsSince_ = 0;  // into the clock's current stretch

  std::vector<AudioCall> calls_;
  std::vector<std::string> attempts_;  // every file name LoadSegment was given
  bool recording_ = true;
  bool paused_ = false;
  float musicVolume_ = 1.0f;
  float effectsVolume_ = 1.0f;
};

}  // namespace cog
