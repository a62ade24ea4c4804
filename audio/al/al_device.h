#pragma once
// The OpenAL device the engine plays on, and its mixing context: the
// default sound output, or OpenAL Soft's loopback device that mixes only
// when asked (headless recordings and the tests).

#include <AL/alext.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/al/al_handles.h"
#include "base/status.h"

namespace cog {

class AlDevice {
 public:
  // The default output device ("audio: ..." messages on failure).
  static Result<std::unique_ptr<AlDevice>> openDefault();
  // A loopback device mixing stereo at `sampleRate` (8000 to 96000), plain
  // panning so left and right are the same on every machine.
  static Result<std::unique_ptr<AlDevice>> openLoopback(int sampleRate);

  AlDevice(const AlDevice&) = delete;
  AlDevice& operator=(const AlDevice&) = delete;

  // Makes this device's context the current one (OpenAL's current context
  // is process-wide).
  void makeCurrent() const { alcMakeContextCurrent(context_.get()); }
  int sampleRate() const { return sampleRate_; }
  bool loopback() const { return renderSamples_ != nullptr; }
  // Loopback only: mixes `frames` stereo frames into `to` (interleaved floats).
  void render(float* to, int frames);

 private:
  AlDevice() = default;

  AlcDevicePtr device_;
  AlcContextPtr context_;  // after the device: destroyed before it is closed
  int sampleRate_ = 0;
  LPALCRENDERSAMPLESSOFT renderSamples_ = nullptr;
  bool renderFloat_ = true;
  std::vector<int16_t> shorts_;  // loopback mixing in 16 bits
};

}  // namespace cog
