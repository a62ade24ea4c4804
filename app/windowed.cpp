#include "app/windowed.h"

#include <memory>
#include <ostream>
#include <string>

#include "app/game_tick.h"
#include "app/headless.h"
#include "app/keys.h"
#include "app/session.h"
#include "app/trace.h"
#include "app/sound_start.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "platform/window.h"
#include "render/gl/gl_device.h"

int runWindowed(int64_t maxTicks, const std::string& tracePath, const SoundOptions& sound, std::ostream& err) {
  std::string error;
  TraceFile trace;
  if (!tracePath.empty() && !trace.open(tracePath, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  // Sound first: a machine without a sound device still plays, silently.
  SilentAudioEngine* silent = nullptr;
  std::unique_ptr<AudioEngine> engine = openWindowSound(sound, silent, err);

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
      int64_t tick = 0;
      bool traceFailed = false;
      window->run(
          [&] {
            if (silent) silent->advance(kTickMilliseconds);
            GameTick();
            if (trace.isOpen() && !traceFailed && !trace.write(++tick, error)) {
              err << "cogstorm: " << error << '\n';
              traceFailed = true;
              status = 1;
            }
            audio.startedEffects.clear();
          },
          [](uint32_t code) { HandleKeyDown(code); }, maxTicks);
    }
    // Everything the device made goes back while its context lives.
    shutdownGame();
  }
  if (!trace.close(error)) {
    err << "cogstorm: " << error << '\n';
    status = 1;
  }
  return status;
}
