#include "audio/al/al_engine.h"

#include "audio/al/library_chatter.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <limits>

namespace cog {

namespace {

// A SoundFont 2 file starts "RIFF", size, "sfbk". FluidSynth would hand
// anything else to other loaders that complain on the console.
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

// ---------------------------------------------------------------------------

struct AlAudioEngine::Device {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
  bool renderFloat = true;

  ALuint effectSources[kEffectSources] = {};
  uint64_t effectSerial[kEffectSources] = {};  // when each last started
  uint64_t serial = 0;

  ALuint musicSource = 0;
  ALuint streamBuffers[kStreamBuffers] = {};
  std::vector<ALuint> freeBuffers;

  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;

  std::vector<float> left;
  std::vector<float> right;
  std::vector<int16_t> stereo;  // one stream buffer, interleaved
  std::vector<int16_t> shorts;  // loopback mixing in 16 bits
};

AlAudioEngine::AlAudioEngine() : dev_(std::make_unique<Device>()) {}

std::unique_ptr<AlAudioEngine> AlAudioEngine::open(const SoundFontChoice& soundFont, std::string& error) {
  std::unique_ptr<AlAudioEngine> engine(new AlAudioEngine());
  if (!engine->init(false, 0, soundFont, error)) return nullptr;
  return engine;
}

std::unique_ptr<AlAudioEngine> AlAudioEngine::openLoopback(int sampleRate, const SoundFontChoice& soundFont,
                                                           std::string& error) {
  std::unique_ptr<AlAudioEngine> engine(new AlAudioEngine());
  if (!engine->init(true, sampleRate, soundFont, error)) return nullptr;
  return engine;
}

std::unique_ptr<AlAudioEngine> AlAudioEngine::open(std::string& error) {
  return open(chooseSoundFont(std::string()), error);
}

std::unique_ptr<AlAudioEngine> AlAudioEngine::openLoopback(int sampleRate, std::string& error) {
  return openLoopback(sampleRate, chooseSoundFont(std::string()), error);
}

bool AlAudioEngine::init(bool loopback, int sampleRate, const SoundFontChoice& soundFont, std::string& error) {
  quietSoundLibraries();
  quietFluidSynth();
  loopback_ = loopback;
  Device& d = *dev_;

  if (loopback) {
    if (sampleRate < 8000 || sampleRate > 96000) {
      error = "audio: loopback sample rate " + std::to_string(sampleRate) + " is outside 8000 to 96000";
      return false;
    }
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
      error = "audio: this OpenAL has no ALC_SOFT_loopback extension, so it cannot mix without a sound card";
      return false;
    }
    auto openLoop =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto supported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    d.renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (openLoop == nullptr || supported == nullptr || d.renderSamples == nullptr) {
      error = "audio: ALC_SOFT_loopback is listed but its functions are missing";
      return false;
    }
    d.device = openLoop(nullptr);
    if (d.device == nullptr) {
      error = "audio: OpenAL could not open a loopback device";
      return false;
    }
    ALCenum type = ALC_FLOAT_SOFT;
    if (!supported(d.device, sampleRate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
      type = ALC_SHORT_SOFT;
      d.renderFloat = false;
      if (!supported(d.device, sampleRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT)) {
        error = "audio: the loopback device cannot mix stereo at " + std::to_string(sampleRate) + " Hz";
        return false;
      }
    }
    std::vector<ALCint> attrs = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, type,
                                 ALC_FREQUENCY, sampleRate};
    if (alcIsExtensionPresent(d.device, "ALC_SOFT_HRTF")) {
      // Plain panning, so left and right are the same on every machine.
      attrs.insert(attrs.end(), {ALC_HRTF_SOFT, ALC_FALSE});
    }
    attrs.push_back(0);
    d.context = alcCreateContext(d.device, attrs.data());
    sampleRate_ = sampleRate;
  } else {
    d.device = alcOpenDevice(nullptr);
    if (d.device == nullptr) {
      error = "audio: OpenAL found no sound output device to open (no sound card, or no sound server running)";
      return false;
    }
    d.context = alcCreateContext(d.device, nullptr);
  }
  if (d.context == nullptr || alcMakeContextCurrent(d.context) == ALC_FALSE) {
    error = "audio: OpenAL could not set up mixing on the sound device";
    return false;
  }
  if (!loopback) {
    ALCint rate = 0;
    alcGetIntegerv(d.device, ALC_FREQUENCY, 1, &rate);
    sampleRate_ = rate >= 8000 && rate <= 96000 ? rate : 44100;
  }

  alGetError();
  alGenSources(kEffectSources, d.effectSources);
  alGenSources(1, &d.musicSource);
  alGenBuffers(kStreamBuffers, d.streamBuffers);
  if (alGetError() != AL_NO_ERROR) {
    error = "audio: OpenAL could not create its sources and buffers";
    return false;
  }
  d.freeBuffers.assign(d.streamBuffers, d.streamBuffers + kStreamBuffers);
  // The distance rule of the game's sounds: full volume within one unit,
  // falling as one over the distance beyond.
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  // The music sits at the listener whatever the listener does.
  alSourcei(d.musicSource, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(d.musicSource, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcef(d.musicSource, AL_ROLLOFF_FACTOR, 0.0f);
  d.left.resize(kStreamFrames);
  d.right.resize(kStreamFrames);
  d.stereo.resize(static_cast<size_t>(kStreamFrames) * 2);

  startSynth(soundFont);
  if (!loopback) feeder_ = std::thread([this] { feedLoop(); });
  return true;
}

// Without a synthesizer the music is silent; everything else works.
void AlAudioEngine::startSynth(const SoundFontChoice& soundFont) {
  Device& d = *dev_;
  auto fail = [this](const std::string& why) {
    musicProblem_ = "no music: " + why + "; " + soundFontAdvice();
  };
  if (soundFont.path.empty()) {
    musicProblem_ = soundFont.why.empty() ? "no music: no SoundFont" : soundFont.why;
    return;
  }
  if (!looksLikeSoundFont(soundFont.path)) {
    fail(soundFont.path + " cannot be loaded as a SoundFont (not a SoundFont 2 file)");
    return;
  }
  d.settings = new_fluid_settings();
  if (d.settings == nullptr) {
    fail("FluidSynth could not be set up");
    return;
  }
  fluid_settings_setnum(d.settings, "synth.sample-rate", sampleRate_);
  takeFluidError();
  d.synth = new_fluid_synth(d.settings);
  if (d.synth == nullptr) {
    const std::string why = takeFluidError();
    fail("FluidSynth could not start a synthesizer" + (why.empty() ? std::string() : " (" + why + ")"));
    return;
  }
  if (fluid_synth_sfload(d.synth, soundFont.path.c_str(), 1) == FLUID_FAILED) {
    const std::string why = takeFluidError();
    delete_fluid_synth(d.synth);
    d.synth = nullptr;
    fail(soundFont.path + " cannot be loaded as a SoundFont" + (why.empty() ? std::string() : " (" + why + ")"));
  }
}

AlAudioEngine::~AlAudioEngine() {
  if (feeder_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    feeder_.join();
  }
  Device& d = *dev_;
  if (d.player != nullptr) {
    fluid_player_stop(d.player);
    delete_fluid_player(d.player);
  }
  if (d.synth != nullptr) delete_fluid_synth(d.synth);
  if (d.settings != nullptr) delete_fluid_settings(d.settings);
  if (d.context != nullptr) {
    alcMakeContextCurrent(d.context);
    for (ALuint s : d.effectSources)
      if (s != 0) alSourceStop(s);
    if (d.musicSource != 0) alSourceStop(d.musicSource);
    alDeleteSources(kEffectSources, d.effectSources);
    alDeleteSources(1, &d.musicSource);
    alDeleteBuffers(kStreamBuffers, d.streamBuffers);
    for (const Segment& s : segments_.all())
      if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(d.context);
  }
  if (d.device != nullptr) alcCloseDevice(d.device);
}

// ---------------------------------------------------------------------------
// Mixing and the music stream

void AlAudioEngine::feedLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    alcMakeContextCurrent(dev_->context);
    feedMusic();
    wake_.wait_for(lock, std::chrono::milliseconds(10));
  }
}

void AlAudioEngine::render(int frames, std::vector<float>& out) {
  out.assign(static_cast<size_t>(std::max(frames, 0)) * 2, 0.0f);
  if (!loopback_ || frames <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Device& d = *dev_;
  alcMakeContextCurrent(d.context);
  int done = 0;
  while (done < frames) {
    // Never more than one stream buffer at a time, so the queue (several
    // buffers ahead) never runs dry inside one mix.
    const int n = std::min(kStreamFrames, frames - done);
    feedMusic();
    float* to = out.data() + static_cast<size_t>(done) * 2;
    if (d.renderFloat) {
      d.renderSamples(d.device, to, n);
    } else {
      d.shorts.resize(static_cast<size_t>(n) * 2);
      d.renderSamples(d.device, d.shorts.data(), n);
      for (size_t i = 0; i < d.shorts.size(); ++i) to[i] = static_cast<float>(d.shorts[i]) / 32768.0f;
    }
    done += n;
  }
  feedMusic();
}

bool AlAudioEngine::renderMusicBuffer(unsigned buffer) {
  Device& d = *dev_;
  if (d.synth == nullptr) {
    // No SoundFont: silence for as long as the piece would play.
    if (silentFramesLeft_ == 0) return false;
    if (silentFramesLeft_ > 0) silentFramesLeft_ -= std::min<int64_t>(silentFramesLeft_, kStreamFrames);
    std::fill(d.stereo.begin(), d.stereo.end(), int16_t{0});
  } else {
    if (d.player == nullptr || fluid_player_get_status(d.player) != FLUID_PLAYER_PLAYING) return false;
    fluid_synth_write_float(d.synth, kStreamFrames, d.left.data(), 0, 1, d.right.data(), 0, 1);
    for (size_t i = 0; i < static_cast<size_t>(kStreamFrames); ++i) {
      d.stereo[2 * i] = toSample16(d.left[i]);
      d.stereo[2 * i + 1] = toSample16(d.right[i]);
    }
  }
  alBufferData(buffer, AL_FORMAT_STEREO16, d.stereo.data(), kStreamFrames * 4, sampleRate_);
  return true;
}

void AlAudioEngine::feedMusic() {
  Device& d = *dev_;
  if (!musicActive_ && queuedFrames_.empty()) return;
  const ALuint src = d.musicSource;
  auto takeBack = [&](ALint count) {
    for (; count > 0 && !queuedFrames_.empty(); --count) {
      ALuint b = 0;
      alSourceUnqueueBuffers(src, 1, &b);
      streamFramesDone_ += queuedFrames_.front();
      queuedFrames_.pop_front();
      d.freeBuffers.push_back(b);
    }
  };
  ALint processed = 0;
  alGetSourcei(src, AL_BUFFERS_PROCESSED, &processed);
  takeBack(processed);
  const ALint waiting = static_cast<ALint>(queuedFrames_.size());

  while (musicActive_ && !d.freeBuffers.empty()) {
    const ALuint b = d.freeBuffers.back();
    if (!renderMusicBuffer(b)) {
      musicActive_ = false;  // the piece has played out
      break;
    }
    alSourceQueueBuffers(src, 1, &b);
    d.freeBuffers.pop_back();
    queuedFrames_.push_back(kStreamFrames);
  }

  ALint state = AL_INITIAL;
  alGetSourcei(src, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING && state != AL_PAUSED) {
    // Not started yet, or the queue ran dry before this round: what was
    // waiting then has played out.
    if (state == AL_STOPPED) takeBack(waiting);
    if (!queuedFrames_.empty()) alSourcePlay(src);
  }
}

int64_t AlAudioEngine::musicFramesPlayed() {
  if (queuedFrames_.empty()) return streamFramesDone_;
  const ALuint src = dev_->musicSource;
  ALint state = AL_INITIAL;
  alGetSourcei(src, AL_SOURCE_STATE, &state);
  if (state == AL_PLAYING || state == AL_PAUSED) {
    ALint offset = 0;
    alGetSourcei(src, AL_SAMPLE_OFFSET, &offset);
    return streamFramesDone_ + std::max(offset, 0);
  }
  if (state == AL_STOPPED) {
    int64_t all = streamFramesDone_;
    for (int f : queuedFrames_) all += f;
    return all;
  }
  return streamFramesDone_;
}

int64_t AlAudioEngine::clockMicroseconds() {
  // Frames stay below 2^40 for decades of music, so the product fits.
  return (musicFramesPlayed() - framesAtStretch_) * 1000000 / sampleRate_;
}

void AlAudioEngine::newClockStretch() { framesAtStretch_ = musicFramesPlayed(); }

MusicTime AlAudioEngine::clockNow() {
  // Music time wraps at 32 bits.
  return static_cast<MusicTime>(static_cast<uint32_t>(static_cast<uint64_t>(clock_.ticksAt(clockMicroseconds()))));
}

void AlAudioEngine::stopMusic() {
  Device& d = *dev_;
  // What has sounded so far stays on the clock; what was queued but not
  // played is dropped.
  streamFramesDone_ = musicFramesPlayed();
  alSourceStop(d.musicSource);
  while (!queuedFrames_.empty()) {
    ALuint b = 0;
    alSourceUnqueueBuffers(d.musicSource, 1, &b);
    d.freeBuffers.push_back(b);
    queuedFrames_.pop_front();
  }
  alSourceRewind(d.musicSource);
  musicActive_ = false;
  if (d.player != nullptr) {
    fluid_player_stop(d.player);
    delete_fluid_player(d.player);
    d.player = nullptr;
  }
  if (d.synth != nullptr) fluid_synth_all_sounds_off(d.synth, -1);
  silentFramesLeft_ = 0;
}

bool AlAudioEngine::startMusic(const Segment& s) {
  Device& d = *dev_;
  stopMusic();

  // Passes through the piece: repeats 1 plays it twice; -1 is for ever.
  int64_t passes = s.repeats == kRepeatInfinite ? -1 : int64_t{s.repeats} + 1;
  if (passes > INT_MAX) passes = INT_MAX;
  // From here the clock follows the piece.
  clock_.runPiece(clockMicroseconds(), s.midi.tempos, s.length, s.startPoint, passes);
  newClockStretch();
  if (d.synth == nullptr) {
    const int64_t micros = clock_.pieceMicroseconds();
    const bool forever = micros < 0 || micros > std::numeric_limits<int64_t>::max() / sampleRate_;
    silentFramesLeft_ = forever ? -1 : micros * sampleRate_ / 1000000;
    musicActive_ = silentFramesLeft_ != 0;
    return musicActive_;
  }

  fluid_synth_system_reset(d.synth);
  // The start point in the file's own pulses. A start at or past the end
  // skips the first pass.
  int64_t startPulse = int64_t{std::max<MusicTime>(s.startPoint, 0)} * s.midi.pulsesPerQuarter / kMusicTicksPerQuarter;
  if (startPulse >= s.midi.lengthPulses) {
    if (passes == 1) return false;
    startPulse = 0;
    if (passes > 0) --passes;
  }
  d.player = new_fluid_player(d.synth);
  if (d.player == nullptr) return false;
  // The seek must come before play: a playing player refuses it until its
  // file is loaded.
  if (fluid_player_add_mem(d.player, s.midi.bytes.data(), s.midi.bytes.size()) != FLUID_OK ||
      fluid_player_set_loop(d.player, static_cast<int>(passes)) != FLUID_OK ||
      (startPulse > 0 && fluid_player_seek(d.player, static_cast<int>(startPulse)) != FLUID_OK) ||
      fluid_player_play(d.player) != FLUID_OK) {
    delete_fluid_player(d.player);
    d.player = nullptr;
    return false;
  }
  musicActive_ = true;
  return true;
}

void AlAudioEngine::playEffect(const Segment& s) {
  Device& d = *dev_;
  // A source that has finished, else the one started longest ago.
  int pick = -1;
  for (int i = 0; i < kEffectSources && pick < 0; ++i) {
    ALint state = AL_INITIAL;
    alGetSourcei(d.effectSources[i], AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && state != AL_PAUSED) pick = i;
  }
  if (pick < 0) {
    pick = 0;
    for (int i = 1; i < kEffectSources; ++i)
      if (d.effectSerial[i] < d.effectSerial[pick]) pick = i;
  }
  const ALuint src = d.effectSources[pick];
  d.effectSerial[pick] = ++d.serial;
  alSourceStop(src);
  alSourcei(src, AL_BUFFER, 0);
  int64_t passes = 1;
  if (s.repeats == kRepeatInfinite) {
    alSourcei(src, AL_BUFFER, static_cast<ALint>(s.buffer));
    alSourcei(src, AL_LOOPING, AL_TRUE);
  } else {
    alSourcei(src, AL_LOOPING, AL_FALSE);
    // Repeats of an effect: the sound queued once per pass, up to a limit.
    passes = std::min<int64_t>(int64_t{s.repeats} + 1, 64);
    for (int64_t i = 0; i < passes; ++i) {
      const ALuint b = s.buffer;
      alSourceQueueBuffers(src, 1, &b);
    }
  }
  if (s.startPoint > 0) {
    const int64_t micros = int64_t{s.startPoint} * microsecondsPerQuarter_ / kMusicTicksPerQuarter;
    const int64_t frame = micros * s.sampleRate / 1000000;
    if (s.repeats != kRepeatInfinite && frame >= s.frames * passes) return;  // starts past its end
    // The offset counts through every queued pass; a looping sound has one.
    const int64_t offset = s.repeats == kRepeatInfinite ? frame % std::max<int64_t>(s.frames, 1) : frame;
    alSourcei(src, AL_SAMPLE_OFFSET, static_cast<ALint>(std::min<int64_t>(offset, INT_MAX)));
  }
  // The effect sounds where the source stands now, and stays there.
  alSource3f(src, AL_POSITION, sourcePos_[0], sourcePos_[1], sourcePos_[2]);
  alSourcePlay(src);
}

// ---------------------------------------------------------------------------
// The calls of the game

SegmentId AlAudioEngine::LoadSegment(const std::string& fileName, std::string& error) {
  Segment segment;
  segment.name = fileName;
  if (isMidiName(fileName)) {
    if (!readMidiFile(fileName, segment.midi, error)) return 0;
    segment.music = true;
    segment.length = segment.midi.length;
    std::lock_guard<std::mutex> lock(mutex_);
    alcMakeContextCurrent(dev_->context);
    // The clock runs at the piece's first tempo until a piece plays.
    microsecondsPerQuarter_ = segment.midi.microsecondsPerQuarter;
    if (!clock_.hasPiece()) {
      clock_.runIdle(clockMicroseconds(), microsecondsPerQuarter_);
      newClockStretch();
    }
    return segments_.add(std::move(segment));
  }

  WaveSound sound;
  if (!readWaveFile(fileName, true, sound, error)) return 0;
  // The 3D path is mono: stereo sounds are mixed down.
  std::vector<int16_t> mono(static_cast<size_t>(sound.frames));
  for (size_t i = 0; i < mono.size(); ++i) {
    if (sound.channels == 1) {
      mono[i] = sound.samples[i];
    } else {
      mono[i] = static_cast<int16_t>((int32_t{sound.samples[2 * i]} + sound.samples[2 * i + 1]) / 2);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  alGetError();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  // A sound of no frames still gets a buffer: one silent sample.
  if (mono.empty()) mono.push_back(0);
  alBufferData(buffer, AL_FORMAT_MONO16, mono.data(), static_cast<ALsizei>(mono.size() * 2), sound.sampleRate);
  if (const ALenum e = alGetError(); e != AL_NO_ERROR) {
    if (buffer != 0) alDeleteBuffers(1, &buffer);
    error = fileName + ": OpenAL cannot take this sound (" + std::string(alGetString(e) ? alGetString(e) : "?") + ")";
    return 0;
  }
  segment.buffer = buffer;
  segment.sampleRate = sound.sampleRate;
  segment.frames = sound.frames;
  const int64_t micros = sound.frames * 1000000 / sound.sampleRate;
  segment.length = static_cast<MusicTime>(
      std::min<int64_t>(musicTicksFor(micros, microsecondsPerQuarter_), std::numeric_limits<MusicTime>::max()));
  return segments_.add(std::move(segment));
}

void AlAudioEngine::SetRepeats(SegmentId segment, uint32_t repeats) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Segment* s = segments_.find(segment)) s->repeats = repeats;
}

void AlAudioEngine::SetStartPoint(SegmentId segment, MusicTime start) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Segment* s = segments_.find(segment)) s->startPoint = start;
}

SegmentStateId AlAudioEngine::PlaySegment(SegmentId segment, bool secondary) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Segment* s = segments_.find(segment);
  if (s == nullptr) return 0;
  alcMakeContextCurrent(dev_->context);
  // There is one synthesizer: any MIDI play takes over the music stream. A
  // primary play of a sound replaces the music too, then plays as an effect.
  const PlayState& state = states_.start(segment, clockNow(), s->startPoint, secondary, s->music || !secondary);
  if (s->music) {
    startMusic(*s);
    if (!loopback_) wake_.notify_all();
  } else {
    if (!secondary) {
      stopMusic();
      clock_.stop(clockMicroseconds());
      newClockStretch();
    }
    playEffect(*s);
  }
  return state.id;
}

void AlAudioEngine::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  stopMusic();
  clock_.stop(clockMicroseconds());
  newClockStretch();
  for (ALuint src : dev_->effectSources) alSourceStop(src);
}

MusicTime AlAudioEngine::GetTime() {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  return clockNow();
}

MusicTime AlAudioEngine::GetStartTime(SegmentStateId state) {
  std::lock_guard<std::mutex> lock(mutex_);
  const PlayState* s = states_.find(state);
  return s ? s->startTime : 0;
}

MusicTime AlAudioEngine::GetStartPoint(SegmentStateId state) {
  std::lock_guard<std::mutex> lock(mutex_);
  const PlayState* s = states_.find(state);
  return s ? s->startPoint : 0;
}

void AlAudioEngine::GetLoopPoints(SegmentId, MusicTime& start, MusicTime& end) {
  // No segment has loop points: a repeat plays the whole piece again.
  start = 0;
  end = 0;
}

MusicTime AlAudioEngine::GetLength(SegmentId segment) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Segment* s = segments_.find(segment);
  return s ? s->length : 0;
}

uint32_t AlAudioEngine::GetRepeats(SegmentId segment) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Segment* s = segments_.find(segment);
  return s ? s->repeats : 0;
}

// Deferred settings are applied at once: nothing is gained by holding them.
// The source position only says where effects started from now on sound.
void AlAudioEngine::SetSourcePosition(float x, float y, float z, bool) {
  std::lock_guard<std::mutex> lock(mutex_);
  sourcePos_[0] = x;
  sourcePos_[1] = y;
  sourcePos_[2] = -z;
}

void AlAudioEngine::SetListenerPosition(float x, float y, float z, bool) {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  alListener3f(AL_POSITION, x, y, -z);
}

void AlAudioEngine::SetListenerOrientation(const Vec3& front, const Vec3& top, bool) {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  const ALfloat orientation[6] = {front.x, front.y, -front.z, top.x, top.y, -top.z};
  alListenerfv(AL_ORIENTATION, orientation);
}

bool AlAudioEngine::musicSounding() {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  if (musicActive_) return true;
  ALint state = AL_INITIAL;
  alGetSourcei(dev_->musicSource, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

int AlAudioEngine::effectsSounding() {
  std::lock_guard<std::mutex> lock(mutex_);
  alcMakeContextCurrent(dev_->context);
  int n = 0;
  for (ALuint src : dev_->effectSources) {
    ALint state = AL_INITIAL;
    alGetSourcei(src, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) ++n;
  }
  return n;
}

}  // namespace cog
