// The sounding engine's calls of the game: loading, playing and stopping, the music clock, positions.
#include "audio/al/al_engine.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <limits>

#include "audio/al/al_device.h"
#include "audio/al/effect_voices.h"
#include "audio/al/library_chatter.h"
#include "audio/al/music_stream.h"
#include "media/wav.h"

namespace cog {

struct AlAudioEngine::Segment : SegmentBasics {
  MidiInfo midi;           // music
  AlBuffer buffer;         // effect: mono
  int32_t sampleRate = 0;  // effect
  int64_t frames = 0;      // effect
};

static_assert(AlAudioEngine::kEffectSources == EffectVoices::kVoices);
static_assert(AlAudioEngine::kStreamFrames == MusicStream::kFrames);
static_assert(AlAudioEngine::kStreamBuffers == MusicStream::kBuffers);

AlAudioEngine::AlAudioEngine() : segments_(std::make_unique<SegmentTable<Segment>>()) {}

Result<std::unique_ptr<AlAudioEngine>> AlAudioEngine::open(const SoundFontChoice& soundFont) {
  quietSoundLibraries();
  std::unique_ptr<AlAudioEngine> engine(new AlAudioEngine());
  if (Status s = engine->init(AlDevice::openDefault(), soundFont); !s) return s;
  return engine;
}

Result<std::unique_ptr<AlAudioEngine>> AlAudioEngine::openLoopback(int sampleRate, const SoundFontChoice& soundFont) {
  quietSoundLibraries();
  std::unique_ptr<AlAudioEngine> engine(new AlAudioEngine());
  if (Status s = engine->init(AlDevice::openLoopback(sampleRate), soundFont); !s) return s;
  return engine;
}

Result<std::unique_ptr<AlAudioEngine>> AlAudioEngine::open() { return open(chooseSoundFont(std::string())); }

Result<std::unique_ptr<AlAudioEngine>> AlAudioEngine::openLoopback(int sampleRate) {
  return openLoopback(sampleRate, chooseSoundFont(std::string()));
}

Status AlAudioEngine::init(Result<std::unique_ptr<AlDevice>> device, const SoundFontChoice& soundFont) {
  if (!device) return device.status();
  device_ = std::move(device.value());
  sampleRate_ = device_->sampleRate();

  alGetError();
  voices_ = std::make_unique<EffectVoices>();
  music_ = std::make_unique<MusicStream>(sampleRate_);
  if (alGetError() != AL_NO_ERROR) return Status::failure("audio: OpenAL could not create its sources and buffers");
  // The distance rule of the game's sounds: full volume within one unit,
  // falling as one over the distance beyond.
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  voices_->setGain(kEffectsMix);
  music_->setGain(kMusicMix);

  // Without a synthesizer the music is silent; everything else works.
  musicProblem_ = music_->startSynth(soundFont);
  if (!device_->loopback()) feeder_ = std::thread([this] { feedLoop(); });
  return okStatus();
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
  // The members go with the context current, the device last.
  if (device_) device_->makeCurrent();
}

// ---------------------------------------------------------------------------
// Mixing and the music clock

void AlAudioEngine::feedLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    device_->makeCurrent();
    music_->feed();
    wake_.wait_for(lock, std::chrono::milliseconds(10));
  }
}

void AlAudioEngine::render(int frames, std::vector<float>& out) {
  out.assign(static_cast<size_t>(std::max(frames, 0)) * 2, 0.0f);
  if (!device_->loopback() || frames <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
  int done = 0;
  while (done < frames) {
    // Never more than one stream buffer at a time, so the queue (several
    // buffers ahead) never runs dry inside one mix.
    const int n = std::min(kStreamFrames, frames - done);
    music_->feed();
    device_->render(out.data() + static_cast<size_t>(done) * 2, n);
    done += n;
  }
  music_->feed();
}

int64_t AlAudioEngine::clockMicroseconds() {
  // Frames stay below 2^40 for decades of music, so the product fits.
  return (music_->framesPlayed() - framesAtStretch_) * 1000000 / sampleRate_;
}

void AlAudioEngine::newClockStretch() { framesAtStretch_ = music_->framesPlayed(); }

MusicTime AlAudioEngine::clockNow() {
  // Music time wraps at 32 bits.
  return static_cast<MusicTime>(static_cast<uint32_t>(static_cast<uint64_t>(clock_.ticksAt(clockMicroseconds()))));
}

void AlAudioEngine::stopMusic() { music_->stop(); }

bool AlAudioEngine::startMusic(const Segment& s) {
  music_->stop();
  // Passes through the piece: repeats 1 plays it twice; -1 is for ever.
  int64_t passes = s.repeats == kRepeatInfinite ? -1 : int64_t{s.repeats} + 1;
  if (passes > INT_MAX) passes = INT_MAX;
  // From here the clock follows the piece.
  clock_.runPiece(clockMicroseconds(), s.midi.tempos, s.length, s.startPoint, passes);
  newClockStretch();
  return music_->start(s.midi, s.startPoint, passes, clock_.pieceMicroseconds());
}

void AlAudioEngine::playEffect(const Segment& s) {
  EffectSound sound;
  sound.buffer = s.buffer.get();
  sound.sampleRate = s.sampleRate;
  sound.frames = s.frames;
  sound.repeats = s.repeats;
  sound.startPoint = s.startPoint;
  voices_->play(sound, sourcePos_, microsecondsPerQuarter_, paused_);
}

// ---------------------------------------------------------------------------
// The calls of the game

SegmentId AlAudioEngine::LoadSegment(const std::string& fileName, std::string& error) {
  Segment segment;
  segment.name = fileName;
  if (isMidiName(fileName)) {
    Result<MidiInfo> midi = readMidiFile(fileName);
    if (!midi) {
      error = midi.message();
      return 0;
    }
    segment.midi = std::move(midi.value());
    segment.music = true;
    segment.length = segment.midi.length;
    std::lock_guard<std::mutex> lock(mutex_);
    device_->makeCurrent();
    // The clock runs at the piece's first tempo until a piece plays.
    microsecondsPerQuarter_ = segment.midi.microsecondsPerQuarter;
    if (!clock_.hasPiece()) {
      clock_.runIdle(clockMicroseconds(), microsecondsPerQuarter_);
      newClockStretch();
    }
    return segments_->add(std::move(segment));
  }

  Result<WaveSound> read = readWaveFile(fileName, true);
  if (!read) {
    error = read.message();
    return 0;
  }
  const WaveSound& sound = read.value();
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
  device_->makeCurrent();
  alGetError();
  ALuint name = 0;
  alGenBuffers(1, &name);
  AlBuffer buffer(name);
  // A sound of no frames still gets a buffer: one silent sample.
  if (mono.empty()) mono.push_back(0);
  alBufferData(buffer.get(), AL_FORMAT_MONO16, mono.data(), static_cast<ALsizei>(mono.size() * 2), sound.sampleRate);
  if (const ALenum e = alGetError(); e != AL_NO_ERROR) {
    error = fileName + ": OpenAL cannot take this sound (" + std::string(alGetString(e) ? alGetString(e) : "?") + ")";
    return 0;
  }
  segment.buffer = std::move(buffer);
  segment.sampleRate = sound.sampleRate;
  segment.frames = sound.frames;
  const int64_t micros = sound.frames * 1000000 / sound.sampleRate;
  segment.length = static_cast<MusicTime>(
      std::min<int64_t>(musicTicksFor(micros, microsecondsPerQuarter_), std::numeric_limits<MusicTime>::max()));
  return segments_->add(std::move(segment));
}

void AlAudioEngine::SetRepeats(SegmentId segment, uint32_t repeats) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Segment* s = segments_->find(segment)) s->repeats = repeats;
}

void AlAudioEngine::SetStartPoint(SegmentId segment, MusicTime start) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Segment* s = segments_->find(segment)) s->startPoint = start;
}

SegmentStateId AlAudioEngine::PlaySegment(SegmentId segment, bool secondary) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Segment* s = segments_->find(segment);
  if (s == nullptr) return 0;
  device_->makeCurrent();
  // There is one synthesizer: any MIDI play takes over the music stream. A
  // primary play of a sound replaces the music too, then plays as an effect.
  const PlayState& state = states_.start(segment, clockNow(), s->startPoint, secondary, s->music || !secondary);
  if (s->music) {
    startMusic(*s);
    if (!device_->loopback()) wake_.notify_all();
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
  device_->makeCurrent();
  stopMusic();
  clock_.stop(clockMicroseconds());
  newClockStretch();
  voices_->stopAll();
}

MusicTime AlAudioEngine::GetTime() {
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
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
  const Segment* s = segments_->find(segment);
  return s ? s->length : 0;
}

uint32_t AlAudioEngine::GetRepeats(SegmentId segment) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Segment* s = segments_->find(segment);
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
  device_->makeCurrent();
  alListener3f(AL_POSITION, x, y, -z);
}

void AlAudioEngine::SetListenerOrientation(const Vec3& front, const Vec3& top, bool) {
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
  const ALfloat orientation[6] = {front.x, front.y, -front.z, top.x, top.y, -top.z};
  alListenerfv(AL_ORIENTATION, orientation);
}

void AlAudioEngine::SetVolumes(float music, float effects) {
  const auto level = [](float v) { return v > 0.0f ? std::min(v, 1.0f) : 0.0f; };  // NaN too
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
  music_->setGain(kMusicMix * level(music));
  voices_->setGain(kEffectsMix * level(effects));
}

void AlAudioEngine::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (paused == paused_) return;
  paused_ = paused;
  device_->makeCurrent();
  music_->pause(paused);
  voices_->pause(paused);
  if (!paused && !device_->loopback()) wake_.notify_all();
}

bool AlAudioEngine::musicSounding() {
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
  return music_->sounding();
}

int AlAudioEngine::effectsSounding() {
  std::lock_guard<std::mutex> lock(mutex_);
  device_->makeCurrent();
  return voices_->sounding();
}

}  // namespace cog
