#pragma once
// The music stream: FluidSynth renders the MIDI music in stereo, buffer by
// buffer, onto an OpenAL voice of its own at the listener (head-relative),
// so it keeps one level wherever the player walks. It counts the frames
// actually played, which the engine's music clock follows.
//
// Without a SoundFont the stream still runs: the music plays as silence for
// as long as the piece would sound.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "audio/al/al_handles.h"
#include "audio/al/soundfont_search.h"
#include "media/midi.h"

namespace cog {

class MusicStream {
 public:
  // Buffers of this many frames, this many queued ahead.
  static constexpr int kFrames = 1024;
  static constexpr int kBuffers = 6;

  // Creates the voice and its buffers on the current context (the caller
  // checks alGetError); they are deleted with the context current too.
  explicit MusicStream(int sampleRate);
  ~MusicStream();
  MusicStream(const MusicStream&) = delete;
  MusicStream& operator=(const MusicStream&) = delete;

  // Starts FluidSynth with the SoundFont; "" when it plays, else why not
  // (one line for the player).
  std::string startSynth(const SoundFontChoice& soundFont);

  // Plays `midi` from `startPoint` (music ticks) `passes` times
  // (-1: for ever); `pieceMicroseconds` says how long that lasts when it
  // plays as silence (-1: for ever). false when nothing will sound.
  bool start(const MidiInfo& midi, MusicTime startPoint, int64_t passes, int64_t pieceMicroseconds);
  // Stops the music; what has sounded stays counted, what was queued but
  // not played is dropped.
  void stop();
  // Takes back the buffers played and queues new ones; starts the voice
  // when it is not playing (unless paused).
  void feed();
  // Holds the voice where it is, or lets it go on.
  void pause(bool paused);
  void setGain(float gain);

  // Frames of music played so far, all pieces together.
  int64_t framesPlayed() const;
  // The piece still has music to render, or the voice is playing.
  bool sounding() const;

 private:
  bool renderBuffer(ALuint buffer);
  void takeBack(ALint count);

  int sampleRate_;
  ALuint source_ = 0;
  ALuint buffers_[kBuffers] = {};
  std::vector<ALuint> free_;
  FluidSettingsPtr settings_;
  FluidSynthPtr synth_;
  FluidPlayerPtr player_;  // after the synthesizer: deleted before it

  int64_t framesDone_ = 0;        // frames of every buffer played and taken back
  std::deque<int> queued_;        // frames of each buffer queued on the voice, oldest first
  bool active_ = false;           // the piece still has music to render
  int64_t silentFramesLeft_ = 0;  // without a SoundFont: silence still to stream (-1: for ever)
  bool paused_ = false;

  std::vector<float> left_;
  std::vector<float> right_;
  std::vector<int16_t> stereo_;  // one buffer, interleaved
};

}  // namespace cog
