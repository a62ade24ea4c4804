#include "app/headless.h"

#include <ostream>
#include <vector>

#include "app/game_tick.h"
#include "app/key_script.h"
#include "app/keys.h"
#include "app/session.h"
#include "app/sound_recording.h"
#include "app/trace.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "render/rec/recording_device.h"

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
  SilentAudioEngine silent;
  silent.setRecording(false);
  // Recorded sound plays on the loopback engine instead; the game and its
  // trace are the same either way.
  std::unique_ptr<SoundRecording> recording;
  if (!options.sound.audioOutPath.empty()) {
    recording = SoundRecording::open(options.sound.audioOutPath, options.sound.soundFont, error);
    if (!recording) {
      err << "cogstorm: " << error << '\n';
      return 1;
    }
    if (!recording->musicProblem().empty()) err << "cogstorm: " << recording->musicProblem() << '\n';
  }
  AudioEngine& engine = recording ? recording->engine() : silent;
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
    // The 33 ms up to the tick pass before its keys and its frame.
    if (!recording) {
      silent.advance(kTickMilliseconds);
    } else if (!recording->recordTick(error)) {
      err << "cogstorm: " << error << '\n';
      shutdownGame();
      return 1;
    }
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
  if (!trace.close(error) || (recording && !recording->finish(error))) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  return 0;
}
