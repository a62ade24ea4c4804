#include "audio/web/web_audio_engine.h"

#include <emscripten.h>

#include <algorithm>

#include "media/midi.h"
#include "media/tempo_map.h"
#include "media/wav.h"

namespace cog {

namespace {

// The page's synthesizer (web/shell.html); each call does nothing when the
// page has none.
EM_JS(void, cogMusicLoad, (const uint8_t* bytes, int size), {
  if (Module.cogMusic) Module.cogMusic.load(HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, cogMusicPlay, (int pulse, int loops), {
  if (Module.cogMusic) Module.cogMusic.play(pulse, loops);
});
EM_JS(void, cogMusicStop, (), {
  if (Module.cogMusic) Module.cogMusic.stop();
});
EM_JS(void, cogMusicPause, (int paused), {
  if (Module.cogMusic) Module.cogMusic.pause(paused != 0);
});
EM_JS(void, cogMusicVolume, (double volume), {
  if (Module.cogMusic) Module.cogMusic.volume(volume);
});

}  // namespace

std::unique_ptr<WebAudioEngine> WebAudioEngine::open() {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return nullptr;
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr || !alcMakeContextCurrent(context)) {
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  return std::unique_ptr<WebAudioEngine>(new WebAudioEngine(device, context));
}

WebAudioEngine::WebAudioEngine(ALCdevice* device, ALCcontext* context) : device_(device), context_(context) {
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  alGenSources(kVoices, voices_);
  for (ALuint v : voices_) {
    alSourcef(v, AL_MAX_GAIN, 16.0f);  // the mix may lift a voice above its sound's own level
    alSourcef(v, AL_GAIN, kEffectsMix);
  }
}

WebAudioEngine::~WebAudioEngine() {
  cogMusicStop();
  for (ALuint v : voices_) alSourceStop(v);
  alDeleteSources(kVoices, voices_);
  for (const Sound& s : sounds_)
    if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context_);
  alcCloseDevice(device_);
}

WebAudioEngine::Sound* WebAudioEngine::find(SegmentId id) {
  auto it = std::find_if(sounds_.begin(), sounds_.end(), [id](const Sound& s) { return s.id == id; });
  return it == sounds_.end() ? nullptr : &*it;
}

SegmentId WebAudioEngine::LoadSegment(const std::string& fileName, std::string& error) {
  Sound sound;
  sound.id = static_cast<SegmentId>(sounds_.size() + 1);
  if (isMidiName(fileName)) {
    Result<MidiInfo> midi = readMidiFile(fileName);
    if (!midi) {
      error = midi.message();
      return 0;
    }
    sound.music = true;
    sound.pulsesPerQuarter = midi.value().pulsesPerQuarter;
    cogMusicLoad(midi.value().bytes.data(), static_cast<int>(midi.value().bytes.size()));
  } else {
    Result<WaveSound> wave = readWaveFile(fileName, true);
    if (!wave) {
      error = wave.message();
      return 0;
    }
    {
      // Mono for the 3D voices: a stereo sound is mixed down.
      const WaveSound& w = wave.value();
      std::vector<int16_t> mono(static_cast<size_t>(w.frames));
      for (int64_t f = 0; f < w.frames; ++f) {
        int32_t sum = 0;
        for (int32_t c = 0; c < w.channels; ++c) sum += w.samples[static_cast<size_t>(f * w.channels + c)];
        mono[static_cast<size_t>(f)] = static_cast<int16_t>(sum / std::max(w.channels, 1));
      }
      alGenBuffers(1, &sound.buffer);
      alBufferData(sound.buffer, AL_FORMAT_MONO16, mono.data(), static_cast<ALsizei>(mono.size() * 2), w.sampleRate);
    }
  }
  sounds_.push_back(sound);
  return sound.id;
}

void WebAudioEngine::SetRepeats(SegmentId segment, uint32_t repeats) {
  if (Sound* s = find(segment)) s->repeats = repeats;
}

void WebAudioEngine::SetStartPoint(SegmentId segment, MusicTime start) {
  if (Sound* s = find(segment)) s->startPoint = start;
}

SegmentStateId WebAudioEngine::PlaySegment(SegmentId segment, bool secondary) {
  (void)secondary;  // music replaces music in the page's synthesizer; effects overlap
  const Sound* s = find(segment);
  if (s == nullptr) return 0;
  const SegmentStateId state = ++states_;
  if (s->music) {
    // Music ticks (768 a quarter) to the file's own pulses.
    const int64_t pulse = int64_t{s->startPoint} * s->pulsesPerQuarter / kMusicTicksPerQuarter;
    cogMusicPlay(static_cast<int>(pulse), s->repeats == kRepeatInfinite ? -1 : static_cast<int>(s->repeats) + 1);
    if (paused_) cogMusicPause(1);
  } else if (s->buffer != 0) {
    playEffect(*s);
  }
  return state;
}

void WebAudioEngine::playEffect(const Sound& sound) {
  // A voice that has finished, else the one started longest ago.
  int pick = -1;
  for (int i = 0; i < kVoices && pick < 0; ++i) {
    ALint st = AL_INITIAL;
    alGetSourcei(voices_[i], AL_SOURCE_STATE, &st);
    if (st != AL_PLAYING && st != AL_PAUSED) pick = i;
  }
  if (pick < 0) {
    pick = 0;
    for (int i = 1; i < kVoices; ++i)
      if (serial_[i] < serial_[pick]) pick = i;
  }
  const ALuint v = voices_[pick];
  serial_[pick] = ++next_;
  alSourceStop(v);
  alSourcei(v, AL_BUFFER, static_cast<ALint>(sound.buffer));
  alSourcei(v, AL_LOOPING, sound.repeats == kRepeatInfinite ? AL_TRUE : AL_FALSE);
  alSource3f(v, AL_POSITION, sourcePos_[0], sourcePos_[1], sourcePos_[2]);
  alSourcePlay(v);
  if (paused_) alSourcePause(v);
}

void WebAudioEngine::Stop() {
  cogMusicStop();
  for (ALuint v : voices_) alSourceStop(v);
}

void WebAudioEngine::SetSourcePosition(float x, float y, float z, bool) {
  // The game's sound space is left-handed, OpenAL's right-handed.
  sourcePos_[0] = x;
  sourcePos_[1] = y;
  sourcePos_[2] = -z;
}

void WebAudioEngine::SetListenerPosition(float x, float y, float z, bool) {
  alListener3f(AL_POSITION, x, y, -z);
}

void WebAudioEngine::SetListenerOrientation(const Vec3& front, const Vec3& top, bool) {
  const float orientation[6] = {front.x, front.y, -front.z, top.x, top.y, -top.z};
  alListenerfv(AL_ORIENTATION, orientation);
}

void WebAudioEngine::SetVolumes(float music, float effects) {
  cogMusicVolume(music);
  for (ALuint v : voices_) alSourcef(v, AL_GAIN, kEffectsMix * effects);
}

void WebAudioEngine::SetPaused(bool paused) {
  paused_ = paused;
  cogMusicPause(paused ? 1 : 0);
  for (ALuint v : voices_) {
    ALint st = AL_INITIAL;
    alGetSourcei(v, AL_SOURCE_STATE, &st);
    if (paused && st == AL_PLAYING) alSourcePause(v);
    if (!paused && st == AL_PAUSED) alSourcePlay(v);
  }
}

}  // namespace cog
