// The music stream: FluidSynth set-up, rendering buffers onto the music voice, and counting the frames played.
#include "audio/al/music_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>

namespace cog {

namespace {

// A SoundFont file (SF2, or SF3 with compressed samples) starts "RIFF",
// size, "sfbk". FluidSynth would hand anything else to other loaders that
// complain on the console.
bool looksLikeSoundFont(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char head[12] = {};
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

// FluidSynth reports through a process-wide log; its errors are kept for the
// messages we give, everything else is dropped so the game's console stays
// quiet.
std::mutex fluidLogMutex;
std::string fluidLastError;

void fluidLog(int level, const char* message, void*) {
  if (level > FLUID_ERR || message == nullptr) return;
  std::lock_guard<std::mutex> lock(fluidLogMutex);
  fluidLastError = message;
}

void quietFluidSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, fluidLog, nullptr);
    fluid_set_log_function(FLUID_ERR, fluidLog, nullptr);
    fluid_set_log_function(FLUID_WARN, fluidLog, nullptr);
    fluid_set_log_function(FLUID_INFO, fluidLog, nullptr);
    fluid_set_log_function(FLUID_DBG, fluidLog, nullptr);
  });
}

std::string takeFluidError() {
  std::lock_guard<std::mutex> lock(fluidLogMutex);
  std::string s = std::move(fluidLastError);
  fluidLastError.clear();
  return s;
}

int16_t toSample16(float v) {
  const float s = v * 32767.0f;
  if (!(s > -32768.0f)) return -32768;  // NaN too
  if (s > 32767.0f) return 32767;
  return static_cast<int16_t>(s);
}

}  // namespace

MusicStream::MusicStream(int sampleRate) : sampleRate_(sampleRate) {
  quietFluidSynth();
  alGenSources(1, &source_);
  alGenBuffers(kBuffers, buffers_);
  free_.assign(buffers_, buffers_ + kBuffers);
  // The music sits at the listener whatever the listener does.
  alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(source_, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
  alSourcef(source_, AL_MAX_GAIN, 16.0f);  // the mix may lift it
  left_.resize(kFrames);
  right_.resize(kFrames);
  stereo_.resize(static_cast<size_t>(kFrames) * 2);
}

MusicStream::~MusicStream() {
  player_.reset();
  if (source_ != 0) alSourceStop(source_);
  alDeleteSources(1, &source_);
  alDeleteBuffers(kBuffers, buffers_);
}

std::string MusicStream::startSynth(const SoundFontChoice& soundFont) {
  auto fail = [](const std::string& why) { return "no music: " + why + "; " + soundFontAdvice(); };
  if (soundFont.path.empty()) return soundFont.why.empty() ? "no music: no SoundFont" : soundFont.why;
  if (!looksLikeSoundFont(soundFont.path))
    return fail(soundFont.path + " cannot be loaded as a SoundFont (not a SoundFont 2 file)");
  settings_.reset(new_fluid_settings());
  if (!settings_) return fail("FluidSynth could not be set up");
  fluid_settings_setnum(settings_.get(), "synth.sample-rate", sampleRate_);
  takeFluidError();
  synth_.reset(new_fluid_synth(settings_.get()));
  if (!synth_) {
    const std::string why = takeFluidError();
    return fail("FluidSynth could not start a synthesizer" + (why.empty() ? std::string() : " (" + why + ")"));
  }
  if (fluid_synth_sfload(synth_.get(), soundFont.path.c_str(), 1) == FLUID_FAILED) {
    const std::string why = takeFluidError();
    synth_.reset();
    return fail(soundFont.path + " cannot be loaded as a SoundFont" +
                (why.empty() ? std::string() : " (" + why + ")"));
  }
  return std::string();
}

bool MusicStream::renderBuffer(ALuint buffer) {
  if (!synth_) {
    // No SoundFont: silence for as long as the piece would play.
    if (silentFramesLeft_ == 0) return false;
    if (silentFramesLeft_ > 0) silentFramesLeft_ -= std::min<int64_t>(silentFramesLeft_, kFrames);
    std::fill(stereo_.begin(), stereo_.end(), int16_t{0});
  } else {
    if (!player_ || fluid_player_get_status(player_.get()) != FLUID_PLAYER_PLAYING) return false;
    fluid_synth_write_float(synth_.get(), kFrames, left_.data(), 0, 1, right_.data(), 0, 1);
    for (size_t i = 0; i < static_cast<size_t>(kFrames); ++i) {
      stereo_[2 * i] = toSample16(left_[i]);
      stereo_[2 * i + 1] = toSample16(right_[i]);
    }
  }
  alBufferData(buffer, AL_FORMAT_STEREO16, stereo_.data(), kFrames * 4, sampleRate_);
  return true;
}

void MusicStream::takeBack(ALint count) {
  for (; count > 0 && !queued_.empty(); --count) {
    ALuint b = 0;
    alSourceUnqueueBuffers(source_, 1, &b);
    framesDone_ += queued_.front();
    queued_.pop_front();
    free_.push_back(b);
  }
}

void MusicStream::feed() {
  if (!active_ && queued_.empty()) return;
  ALint processed = 0;
  alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
  takeBack(processed);
  const ALint waiting = static_cast<ALint>(queued_.size());

  while (active_ && !free_.empty()) {
    const ALuint b = free_.back();
    if (!renderBuffer(b)) {
      active_ = false;  // the piece has played out
      break;
    }
    alSourceQueueBuffers(source_, 1, &b);
    free_.pop_back();
    queued_.push_back(kFrames);
  }

  ALint state = AL_INITIAL;
  alGetSourcei(source_, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING && state != AL_PAUSED) {
    // Not started yet, or the queue ran dry before this round: what was
    // waiting then has played out.
    if (state == AL_STOPPED) takeBack(waiting);
    if (!queued_.empty() && !paused_) alSourcePlay(source_);
  }
}

int64_t MusicStream::framesPlayed() const {
  if (queued_.empty()) return framesDone_;
  ALint state = AL_INITIAL;
  alGetSourcei(source_, AL_SOURCE_STATE, &state);
  if (state == AL_PLAYING || state == AL_PAUSED) {
    ALint offset = 0;
    alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
    return framesDone_ + std::max(offset, 0);
  }
  if (state == AL_STOPPED) {
    int64_t all = framesDone_;
    for (int f : queued_) all += f;
    return all;
  }
  return framesDone_;
}

void MusicStream::stop() {
  // What has sounded so far stays counted; what was queued but not played
  // is dropped.
  framesDone_ = framesPlayed();
  alSourceStop(source_);
  while (!queued_.empty()) {
    ALuint b = 0;
    alSourceUnqueueBuffers(source_, 1, &b);
    free_.push_back(b);
    queued_.pop_front();
  }
  alSourceRewind(source_);
  active_ = false;
  player_.reset();
  if (synth_) fluid_synth_all_sounds_off(synth_.get(), -1);
  silentFramesLeft_ = 0;
}

bool MusicStream::start(const MidiInfo& midi, MusicTime startPoint, int64_t passes, int64_t pieceMicroseconds) {
  if (!synth_) {
    const bool forever =
        pieceMicroseconds < 0 || pieceMicroseconds > std::numeric_limits<int64_t>::max() / sampleRate_;
    silentFramesLeft_ = forever ? -1 : pieceMicroseconds * sampleRate_ / 1000000;
    active_ = silentFramesLeft_ != 0;
    return active_;
  }

  fluid_synth_system_reset(synth_.get());
  // The start point in the file's own pulses. A start at or past the end
  // skips the first pass.
  int64_t startPulse = int64_t{std::max<MusicTime>(startPoint, 0)} * midi.pulsesPerQuarter / kMusicTicksPerQuarter;
  if (startPulse >= midi.lengthPulses) {
    if (passes == 1) return false;
    startPulse = 0;
    if (passes > 0) --passes;
  }
  player_.reset(new_fluid_player(synth_.get()));
  if (!player_) return false;
  // The seek must come before play: a playing player refuses it until its
  // file is loaded.
  if (fluid_player_add_mem(player_.get(), midi.bytes.data(), midi.bytes.size()) != FLUID_OK ||
      fluid_player_set_loop(player_.get(), static_cast<int>(passes)) != FLUID_OK ||
      (startPulse > 0 && fluid_player_seek(player_.get(), static_cast<int>(startPulse)) != FLUID_OK) ||
      fluid_player_play(player_.get()) != FLUID_OK) {
    player_.reset();
    return false;
  }
  active_ = true;
  return true;
}

void MusicStream::pause(bool paused) {
  paused_ = paused;
  ALint state = AL_INITIAL;
  alGetSourcei(source_, AL_SOURCE_STATE, &state);
  if (paused && state == AL_PLAYING) alSourcePause(source_);
  if (!paused && state == AL_PAUSED) alSourcePlay(source_);
}

void MusicStream::setGain(float gain) { alSourcef(source_, AL_GAIN, gain); }

bool MusicStream::sounding() const {
  if (active_) return true;
  ALint state = AL_INITIAL;
  alGetSourcei(source_, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

}  // namespace cog
