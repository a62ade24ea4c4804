#pragma once
// The page's sound: the game's questions (states, lengths, the music clock)
// are a silent engine's, whose clock the run moves 33 ms a tick, so the game
// and its trace are native's; when the page has sound and is not muted,
// every call also goes to the browser's engine (audio/web), which sounds.

#include <memory>

#include "audio/rec/silent_engine.h"

namespace cog {

class WebAudioEngine;

class PageSound {
 public:
  PageSound();
  ~PageSound();
  PageSound(PageSound&&) noexcept;
  PageSound& operator=(PageSound&&) noexcept;

  static PageSound open(bool mute);

  AudioEngine& engine();
  SilentAudioEngine& clock() { return *silent_; }
  bool sounds() const { return sounding_ != nullptr; }

 private:
  std::unique_ptr<SilentAudioEngine> silent_;
  std::unique_ptr<AudioEngine> sounding_;  // forwards to silent_ and the browser's engine
};

}  // namespace cog
