#pragma once
// Choosing the window's audio engine: the sound device through OpenAL Soft,
// or the silent engine when muted or when there is no device.

#include <iosfwd>
#include <memory>

#include "app/sound_options.h"

namespace cog {

class AudioEngine;
class SilentAudioEngine;

// The engine the window plays with. `silent` points at it when it is the
// silent one (its clock must then be advanced each tick), else is null.
// What the player should know (no device, no SoundFont) goes to `err` in
// one line. A SoundFont named with --soundfont that cannot be used is an
// error: nullptr, with the message (naming the file) on `err`.
std::unique_ptr<AudioEngine> openWindowSound(const SoundOptions& options, SilentAudioEngine*& silent,
                                             std::ostream& err);

}  // namespace cog
