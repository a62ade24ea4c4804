#pragma once
// Owners for the OpenAL and FluidSynth handles the engine holds: each is
// released by its library's own call when its owner goes.

#include <AL/al.h>
#include <AL/alc.h>
#include <fluidsynth.h>

#include <memory>

namespace cog {

struct AlcDeviceCloser {
  void operator()(ALCdevice* d) const { alcCloseDevice(d); }
};
struct AlcContextDestroyer {
  void operator()(ALCcontext* c) const {
    if (alcGetCurrentContext() == c) alcMakeContextCurrent(nullptr);
    alcDestroyContext(c);
  }
};
struct FluidSettingsDeleter {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct FluidSynthDeleter {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct FluidPlayerDeleter {
  void operator()(fluid_player_t* p) const {
    fluid_player_stop(p);
    delete_fluid_player(p);
  }
};

using AlcDevicePtr = std::unique_ptr<ALCdevice, AlcDeviceCloser>;
using AlcContextPtr = std::unique_ptr<ALCcontext, AlcContextDestroyer>;
using FluidSettingsPtr = std::unique_ptr<fluid_settings_t, FluidSettingsDeleter>;
using FluidSynthPtr = std::unique_ptr<fluid_synth_t, FluidSynthDeleter>;
using FluidPlayerPtr = std::unique_ptr<fluid_player_t, FluidPlayerDeleter>;

// An OpenAL buffer name, deleted with its owner (the device's context must
// be current then, as for every AL call).
class AlBuffer {
 public:
  AlBuffer() = default;
  explicit AlBuffer(ALuint name) : name_(name) {}
  ~AlBuffer() {
    if (name_ != 0) alDeleteBuffers(1, &name_);
  }
  AlBuffer(AlBuffer&& other) noexcept : name_(other.name_) { other.name_ = 0; }
  AlBuffer& operator=(AlBuffer&& other) noexcept {
    if (this != &other) {
      if (name_ != 0) alDeleteBuffers(1, &name_);
      name_ = other.name_;
      other.name_ = 0;
    }
    return *this;
  }
  AlBuffer(const AlBuffer&) = delete;
  AlBuffer& operator=(const AlBuffer&) = delete;
  ALuint get() const { return name_; }

 private:
  ALuint name_ = 0;
};

}  // namespace cog
