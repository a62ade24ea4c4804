// The pool of effect voices: picking a voice, repeats and start points, pause and gain.
#include "audio/al/effect_voices.h"

#include <algorithm>
#include <climits>

#include "media/tempo_map.h"
#include "seams/audio_engine.h"

namespace cog {

EffectVoices::EffectVoices() {
  alGenSources(kVoices, sources_);
  // The mix may lift a voice above its sound's own level.
  for (ALuint src : sources_) alSourcef(src, AL_MAX_GAIN, kMaxGain);
}

EffectVoices::~EffectVoices() {
  for (ALuint s : sources_)
    if (s != 0) alSourceStop(s);
  alDeleteSources(kVoices, sources_);
}

void EffectVoices::play(const EffectSound& sound, const float position[3], int32_t microsecondsPerQuarter,
                        bool paused) {
  // A source that has finished, else the one started longest ago.
  int pick = -1;
  for (int i = 0; i < kVoices && pick < 0; ++i) {
    ALint state = AL_INITIAL;
    alGetSourcei(sources_[i], AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && state != AL_PAUSED) pick = i;
  }
  if (pick < 0) {
    pick = 0;
    for (int i = 1; i < kVoices; ++i)
      if (serial_[i] < serial_[pick]) pick = i;
  }
  const ALuint src = sources_[pick];
  serial_[pick] = ++next_;
  alSourceStop(src);
  alSourcei(src, AL_BUFFER, 0);
  int64_t passes = 1;
  if (sound.repeats == kRepeatInfinite) {
    alSourcei(src, AL_BUFFER, static_cast<ALint>(sound.buffer));
    alSourcei(src, AL_LOOPING, AL_TRUE);
  } else {
    alSourcei(src, AL_LOOPING, AL_FALSE);
    // Repeats of an effect: the sound queued once per pass, up to a limit.
    passes = std::min<int64_t>(int64_t{sound.repeats} + 1, 64);
    for (int64_t i = 0; i < passes; ++i) {
      const ALuint b = sound.buffer;
      alSourceQueueBuffers(src, 1, &b);
    }
  }
  if (sound.startPoint > 0) {
    const int64_t micros = sound.startPoint * microsecondsPerQuarter / kMusicTicksPerQuarter;
    const int64_t frame = micros * sound.sampleRate / 1000000;
    if (sound.repeats != kRepeatInfinite && frame >= sound.frames * passes) return;  // starts past its end
    // The offset counts through every queued pass; a looping sound has one.
    const int64_t offset = sound.repeats == kRepeatInfinite ? frame % std::max<int64_t>(sound.frames, 1) : frame;
    alSourcei(src, AL_SAMPLE_OFFSET, static_cast<ALint>(std::min<int64_t>(offset, INT_MAX)));
  }
  // The effect sounds where the source stands now, and stays there.
  alSource3f(src, AL_POSITION, position[0], position[1], position[2]);
  alSourcePlay(src);
  if (paused) alSourcePause(src);
}

void EffectVoices::stopAll() {
  for (ALuint src : sources_) alSourceStop(src);
}

void EffectVoices::pause(bool paused) {
  for (ALuint src : sources_) {
    ALint state = AL_INITIAL;
    alGetSourcei(src, AL_SOURCE_STATE, &state);
    if (paused && state == AL_PLAYING) alSourcePause(src);
    if (!paused && state == AL_PAUSED) alSourcePlay(src);
  }
}

void EffectVoices::setGain(float gain) {
  for (ALuint src : sources_) alSourcef(src, AL_GAIN, gain);
}

int EffectVoices::sounding() const {
  int n = 0;
  for (ALuint src : sources_) {
    ALint state = AL_INITIAL;
    alGetSourcei(src, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) ++n;
  }
  return n;
}

}  // namespace cog
