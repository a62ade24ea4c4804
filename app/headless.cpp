#include "app/headless.h"

#include <ostream>
#include <vector>

#include "app/game_tick.h"
#include "app/key_script.h"
#include "app/keys.h"
#include "app/session.h"
#include "app/trace.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "render/rec/recording_device.h"

namespace {

}  // namespace

int runHeadless(const HeadlessOptions& options, std::ostream& err) {
  std::vector<KeyPress> presses;
  std::string error;
  if (!options.inputPath.empty() && !readKeyScript(options.inputPath, presses, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  TraceFile trace;
  if (!options.tracePath.empty() && !trace.open(options.tracePath, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }

  // Nobody reads the calls of a headless run: keep none.
  RecordingDevice renderDevice;
  renderDevice.setRecording(false);
  SilentAudioEngine engine;
  engine.setRecording(false);
  const StartFailure failure = startGame(renderDevice, engine, error);
  if (failure != StartFailure::None) {
    if (failure == StartFailure::Media)
      err << "cogstorm: " << kMediaMissingText << " (" << error << ")\n";
    else
      err << "cogstorm: " << error << '\n';
    shutdownGame();
    return 1;
  }

  size_t next = 0;
  audio.startedEffects.clear();
  for (int64_t tick = 1; tick <= options.ticks; ++tick) {
    engine.advance(kTickMilliseconds);
    for (; next < presses.size() && presses[next].tick == tick; ++next) HandleKeyDown(presses[next].code);
    GameTick();
    if (trace.isOpen() && !trace.write(tick, error)) {
      err << "cogstorm: " << error << '\n';
      shutdownGame();
      return 1;
    }
    audio.startedEffects.clear();
  }
  shutdownGame();
  if (!trace.close(error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  return 0;
}
