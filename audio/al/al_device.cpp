// Opening and closing the OpenAL device and its context, and loopback mixing.
#include "audio/al/al_device.h"

#include <string>

namespace cog {

Result<std::unique_ptr<AlDevice>> AlDevice::openLoopback(int sampleRate) {
  std::unique_ptr<AlDevice> d(new AlDevice());
  if (sampleRate < 8000 || sampleRate > 96000)
    return Status::failure("audio: loopback sample rate " + std::to_string(sampleRate) + " is outside 8000 to 96000");
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
    return Status::failure(
        "audio: this OpenAL has no ALC_SOFT_loopback extension, so it cannot mix without a sound card");
  auto openLoop =
      reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto supported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
      alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
  auto renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (openLoop == nullptr || supported == nullptr || renderSamples == nullptr)
    return Status::failure("audio: ALC_SOFT_loopback is listed but its functions are missing");
  d->device_.reset(openLoop(nullptr));
  if (!d->device_) return Status::failure("audio: OpenAL could not open a loopback device");
  ALCenum type = ALC_FLOAT_SOFT;
  if (!supported(d->device_.get(), sampleRate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
    type = ALC_SHORT_SOFT;
    d->renderFloat_ = false;
    if (!supported(d->device_.get(), sampleRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT))
      return Status::failure("audio: the loopback device cannot mix stereo at " + std::to_string(sampleRate) + " Hz");
  }
  std::vector<ALCint> attrs = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, type,
                               ALC_FREQUENCY, sampleRate};
  if (alcIsExtensionPresent(d->device_.get(), "ALC_SOFT_HRTF")) {
    // Plain panning, so left and right are the same on every machine.
    attrs.insert(attrs.end(), {ALC_HRTF_SOFT, ALC_FALSE});
  }
  attrs.push_back(0);
  d->context_.reset(alcCreateContext(d->device_.get(), attrs.data()));
  d->sampleRate_ = sampleRate;
  if (!d->context_ || alcMakeContextCurrent(d->context_.get()) == ALC_FALSE)
    return Status::failure("audio: OpenAL could not set up mixing on the sound device");
  d->renderSamples_ = renderSamples;
  return d;
}

Result<std::unique_ptr<AlDevice>> AlDevice::openDefault() {
  std::unique_ptr<AlDevice> d(new AlDevice());
  d->device_.reset(alcOpenDevice(nullptr));
  if (!d->device_)
    return Status::failure(
        "audio: OpenAL found no sound output device to open (no sound card, or no sound server running)");
  d->context_.reset(alcCreateContext(d->device_.get(), nullptr));
  if (!d->context_ || alcMakeContextCurrent(d->context_.get()) == ALC_FALSE)
    return Status::failure("audio: OpenAL could not set up mixing on the sound device");
  ALCint rate = 0;
  alcGetIntegerv(d->device_.get(), ALC_FREQUENCY, 1, &rate);
  d->sampleRate_ = rate >= 8000 && rate <= 96000 ? rate : 44100;
  return d;
}

void AlDevice::render(float* to, int frames) {
  if (renderFloat_) {
    renderSamples_(device_.get(), to, frames);
    return;
  }
  shorts_.resize(static_cast<size_t>(frames) * 2);
  renderSamples_(device_.get(), shorts_.data(), frames);
  for (size_t i = 0; i < shorts_.size(); ++i) to[i] = static_cast<float>(shorts_[i]) / 32768.0f;
}

}  // namespace cog
