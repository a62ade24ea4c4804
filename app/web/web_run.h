#pragma once
// One run of the game in WebAssembly, ticked by its owner: under Node back
// to back (the trace runner), in the page on the browser's animation frames.
// A tick is the headless runner's: the 33 ms of music clock up to it pass,
// the script's keys of the tick are pressed, the game ticks, the feedback
// sounds play, and its trace line is made; so the trace is native's.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/feedback_sounds.h"
#include "app/key_script.h"
#include "game/game.h"
#include "render/picture_layout.h"

namespace cog {

class AudioEngine;
class RenderDevice;
class SilentAudioEngine;

class WebRun {
 public:
  // Starts the game in the working directory (the level folder) on `device`
  // and `engine`; `clock` is the silent engine whose clock the run moves 33
  // ms a tick (the engine itself, or the one inside it). Null with `error`
  // (the message the command line would print, without "cogstorm: ") when
  // the game cannot start.
  static std::unique_ptr<WebRun> start(RenderDevice& device, AudioEngine& engine, SilentAudioEngine& clock,
                                       std::vector<KeyPress> script, bool feedbackSounds, std::string& error);
  ~WebRun();

  // Where the picture goes in the back buffer from the next tick on, as the
  // window places it (a run without one leaves the viewport as it is).
  void setLayout(const PictureLayout& layout) {
    layout_ = layout;
    hasLayout_ = true;
  }
  // A key typed or sent by a controller, pressed before the next tick.
  void press(uint32_t code);
  // Runs the next tick; with `traceLine` non-null, its trace line (without
  // the newline) replaces what it holds.
  void tick(std::string* traceLine);

  int64_t ticks() const { return tick_; }
  // The tick of the script's last key (0 without a script).
  int64_t scriptEnd() const { return script_.empty() ? 0 : script_.back().tick; }
  Game& game() { return *game_; }

 private:
  WebRun(SilentAudioEngine& clock, std::vector<KeyPress> script);

  SilentAudioEngine& clock_;
  std::vector<KeyPress> script_;
  size_t next_ = 0;
  int64_t tick_ = 0;
  std::unique_ptr<Game> game_;
  std::unique_ptr<FeedbackSounds> feedback_;
  PictureLayout layout_;
  bool hasLayout_ = false;
};

}  // namespace cog
