#include "app/web/web_run.h"

#include <utility>

#include "app/headless.h"
#include "app/trace.h"
#include "audio/rec/silent_engine.h"
#include "game/game_tick.h"
#include "game/keys.h"

namespace cog {

WebRun::WebRun(SilentAudioEngine& clock, std::vector<KeyPress> script)
    : clock_(clock), script_(std::move(script)), game_(std::make_unique<Game>()) {}

WebRun::~WebRun() {
  // The feedback sounds and the game let go of the engine and the device
  // before their owner does.
  feedback_.reset();
  game_.reset();
}

std::unique_ptr<WebRun> WebRun::start(RenderDevice& device, AudioEngine& engine, SilentAudioEngine& clock,
                                      std::vector<KeyPress> script, bool feedbackSounds, std::string& error) {
  std::unique_ptr<WebRun> run(new WebRun(clock, std::move(script)));
  if (Status s = run->game_->startAudio(engine); !s) {
    error = std::string(kMediaMissingText) + " (" + s.message() + ")";
    return nullptr;
  }
  if (Status s = run->game_->startDeviceAndLevel(device); !s) {
    error = s.message();
    return nullptr;
  }
  run->feedback_ = std::make_unique<FeedbackSounds>(*run->game_, engine, feedbackSounds);
  run->game_->audio.startedEffects.clear();
  return run;
}

void WebRun::press(uint32_t code) { HandleKeyDown(*game_, code); }

void WebRun::tick(std::string* traceLine) {
  ++tick_;
  clock_.advance(kTickMilliseconds);
  for (; next_ < script_.size() && script_[next_].tick == tick_; ++next_) HandleKeyDown(*game_, script_[next_].code);
  if (hasLayout_ && game_->device != nullptr) {
    placePicture(*game_->device, layout_);
    game_->viewAspect = layout_.viewAspect;
  }
  GameTick(*game_);
  feedback_->afterTick(*game_);
  if (traceLine != nullptr) {
    traceLine->clear();
    appendTraceLine(*traceLine, *game_, tick_);
  }
  game_->audio.startedEffects.clear();
}

}  // namespace cog
