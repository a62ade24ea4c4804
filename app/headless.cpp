#include "app/headless.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace

int runHeadless(const HeadlessOptions& options, std::ostream& err) {
  std::vector<KeyPress> presses;
  std::string error;
  if (!options.inputPath.empty() && !readKeyScript(options.inputPath, presses, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  std::unique_ptr<std::FILE, FileCloser> trace;
  if (!options.tracePath.empty()) {
    trace.reset(std::fopen(options.tracePath.c_str(), "wb"));
    if (!trace) {
      err << "cogstorm: " << options.tracePath << ": cannot write the trace: " << std::strerror(errno) << '\n';
      return 1;
    }
  }

  RecordingDevice renderDevice;
  SilentAudioEngine engine;
  const StartFailure failure = startGame(renderDevice, engine, error);
  if (failure != StartFailure::None) {
    if (failure == StartFailure::Media)
      err << "cogstorm: " << kMediaMissingText << " (" << error << ")\n";
    else
      err << "cogstorm: " << error << '\n';
    shutdownGame();
    return 1;
  }

  std::string line;
  size_t next = 0;
  audio.startedEffects.clear();
  for (int64_t tick = 1; tick <= options.ticks; ++tick) {
    engine.advance(kTickMilliseconds);
    for (; next < presses.size() && presses[next].tick == tick; ++next) HandleKeyDown(presses[next].code);
    GameTick();
    if (trace) {
      line.clear();
      appendTraceLine(line, tick);
      line += '\n';
      if (std::fwrite(line.data(), 1, line.size(), trace.get()) != line.size()) {
        err << "cogstorm: " << options.tracePath << ": cannot write the trace: " << std::strerror(errno) << '\n';
        shutdownGame();
        return 1;
      }
    }
    audio.startedEffects.clear();
    engine.clearCalls();
  }
  shutdownGame();
  if (trace && std::fclose(trace.release()) != 0) {
    err << "cogstorm: " << options.tracePath << ": cannot write the trace: " << std::strerror(errno) << '\n';
    return 1;
  }
  return 0;
}
