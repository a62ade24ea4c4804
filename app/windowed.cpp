#include "app/windowed.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/game_tick.h"
#include "app/headless.h"
#include "app/key_record.h"
#include "app/key_script.h"
#include "app/keys.h"
#include "app/session.h"
#include "app/trace.h"
#include "audio/al/al_engine.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "platform/window.h"
#include "render/gl/gl_device.h"

int runWindowed(const WindowedOptions& options, std::ostream& err) {
  std::string error;
  std::vector<KeyPress> script;
  if (!options.inputPath.empty() && !readKeyScript(options.inputPath, script, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  TraceFile trace;
  if (!options.tracePath.empty() && !trace.open(options.tracePath, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  KeyRecording recording;
  if (!options.recordPath.empty() && !recording.open(options.recordPath, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  // Sound first: a machine without a sound device still plays, silently.
  std::unique_ptr<AudioEngine> engine = AlAudioEngine::open(error);
  SilentAudioEngine* silent = nullptr;
  if (!engine) {
    err << "cogstorm: " << error << "; playing without sound\n";
    auto quiet = std::make_unique<SilentAudioEngine>();
    quiet->setRecording(false);
    silent = quiet.get();
    engine = std::move(quiet);
  }

  if (startAudio(*engine, error) != StartFailure::None) {
    err << "cogstorm: " << kMediaMissingText << " (" << error << ")\n";
    showMessageBox(kMediaMissingCaption, kMediaMissingText);
    shutdownGame();
    return 1;
  }

  std::unique_ptr<GameWindow> window = GameWindow::create(error);
  if (!window) {
    err << "cogstorm: " << error << '\n';
    shutdownGame();
    return 1;
  }
  int status = 0;
  {
    GlDevice renderDevice([&window] { window->swapBuffers(); });
    if (startDeviceAndLevel(renderDevice, error) != StartFailure::None) {
      err << "cogstorm: " << error << '\n';
      showMessageBox("Cogstorm!", error);
      status = 1;
    } else {
      window->show();
      int64_t tick = 0;  // ticks run so far
      size_t nextScripted = 0;
      bool traceFailed = false;
      bool recordFailed = false;
      // Every press, typed, from a controller or from the script, is
      // recorded as pressed just before the next tick.
      auto press = [&](uint32_t code) {
        if (recording.isOpen() && !recordFailed && !recording.write(tick + 1, code, error)) {
          err << "cogstorm: " << error << '\n';
          recordFailed = true;
          status = 1;
        }
        HandleKeyDown(code);
      };
      window->run(
          [&] {
            if (silent) silent->advance(kTickMilliseconds);
            for (; nextScripted < script.size() && script[nextScripted].tick == tick + 1; ++nextScripted)
              press(script[nextScripted].code);
            GameTick();
            ++tick;
            if (trace.isOpen() && !traceFailed && !trace.write(tick, error)) {
              err << "cogstorm: " << error << '\n';
              traceFailed = true;
              status = 1;
            }
            audio.startedEffects.clear();
          },
          press, options.maxTicks);
    }
    // Everything the device made goes back while its context lives.
    shutdownGame();
  }
  if (!trace.close(error)) {
    err << "cogstorm: " << error << '\n';
    status = 1;
  }
  if (!recording.close(error)) {
    err << "cogstorm: " << error << '\n';
    status = 1;
  }
  return status;
}
