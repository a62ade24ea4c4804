#include "app/windowed.h"

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/game_tick.h"
#include "app/headless.h"
#include "app/feedback_sounds.h"
#include "app/key_record.h"
#include "app/key_script.h"
#include "app/overlay_device.h"
#include "app/play_shell.h"
#include "game/keys.h"
#include "game/game.h"
#include "app/timedemo.h"
#include "app/trace.h"
#include "app/sound_start.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "platform/heap_policy.h"
#include "platform/image_prefetch.h"
#include "platform/window.h"
#include "app/render_choice.h"
#include "render/picture_layout.h"

namespace cog {

int runWindowed(const WindowedOptions& options, std::ostream& err) {
  const DrawOptions& draw = options.draw;
  const int64_t maxTicks = options.maxTicks;
  std::string error;
  std::vector<KeyPress> script;
  // A timedemo plays its own script; otherwise --input's, at the game's pace.
  const std::string& scriptPath = draw.timedemoPath.empty() ? options.inputPath : draw.timedemoPath;
  if (!scriptPath.empty() && !readKeyScript(scriptPath, script, error)) {
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
  // The level's images are decoded on a second thread, and the sound
  // starts on a third, while the window and its context open, which is
  // most of the wait before the first frame. The window stays hidden until
  // the level is in, so a game without its music or sounds still stops
  // before the player sees a window.
  auto prefetch = std::make_unique<ImagePrefetch>(Game::startImageFiles);

  PlayerState player = options.player;
  // A machine without a sound device still plays, silently.
  SilentAudioEngine* silent = nullptr;
  std::unique_ptr<AudioEngine> engine;
  // Declared after the engine, so it shuts down before it; its level goes
  // back to the device inside the block below, while the context lives.
  auto game = std::make_unique<Game>();
  std::ostringstream soundSays;
  Status audioStarted = okStatus();
  std::jthread soundStart([&options, &player, &silent, &engine, &game, &soundSays, &audioStarted] {
    engine = openWindowSound(options.sound, silent, soundSays);
    if (!engine) return;
    engine->SetVolumes(static_cast<float>(player.musicVolume) / 100.0f,
                       static_cast<float>(player.effectsVolume) / 100.0f);
    audioStarted = game->startAudio(*engine);
  });

  WindowRequest request;
  request.width = player.windowWidth;
  request.height = player.windowHeight;
  request.fullscreen = player.fullscreen;
  std::unique_ptr<WindowDrawing> drawing =
      makeWindowDrawing(draw.renderer, request, draw.smooth ? TextureFilter::Smooth : TextureFilter::Point, error,
                        draw.sampleMemoPath);

  // What the sound said comes first, as it started first.
  soundStart.join();
  err << soundSays.str();
  if (!engine) return 1;
  if (!audioStarted) {
    err << "cogstorm: " << kMediaMissingText << " (" << audioStarted.message() << ")\n";
    showMessageBox(kMediaMissingCaption, kMediaMissingText);
    return 1;
  }
  if (!drawing) {
    err << "cogstorm: " << error << '\n';
    if (error.rfind("cannot open a window", 0) != 0) showMessageBox("Cogstorm!", error);
    return 1;
  }
  GameWindow* window = drawing->window.get();
  RenderDevice& renderDevice = *drawing->device;
  int status = 0;
  {
    // The back buffer is the drawable, however the window is sized; the
    // picture sits in it as the aspect mode says.
    PictureLayout layout;
    const auto resized = [&drawing, &layout, &draw](int width, int height) {
      drawing->setBackBufferSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
      layout = layoutPicture(draw.aspect, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    };
    window->onDrawableResized(resized);
    int drawableWidth = 0, drawableHeight = 0;
    window->drawableSize(drawableWidth, drawableHeight);
    resized(drawableWidth, drawableHeight);
    window->setKeyBindings(options.keys);
    window->setStickZones(options.stick);
    // The game draws through the overlay, which lays the presentation over
    // each frame and keeps it for a paused picture.
    OverlayDevice overlayDevice(renderDevice);
    PresentationOptions presentation = options.presentation;
    // A first start teaches; a run told its ticks or its keys is not a player's first look.
    presentation.showHowToPlay =
        presentation.showHowToPlay || (options.firstStart && maxTicks == 0 && options.inputPath.empty());
    presentation.statusLine = player.statusLine;
    presentation.mouseTurning = presentation.mouseTurning && options.mouseTurning;
    presentation.mouseDegreesPerPixel = static_cast<float>(kMouseDegreesPerPixel * options.mouseSensitivity);
    PlayShell shell(presentation);
    overlayDevice.setOverlay([&](const Viewport& viewport) { return shell.overlay(statusOf(*game), viewport); });
    overlayDevice.setKeepFrames(!presentation.classic);
    window->onPlayerKey([&](PlayerKey key) {
      const std::string line = applyVolumeKey(key, player);
      engine->SetVolumes(static_cast<float>(player.musicVolume) / 100.0f,
                         static_cast<float>(player.effectsVolume) / 100.0f);
      shell.notice(line);
      if (options.notice) options.notice(line);
    });
    drawing->setImagePrefetch(prefetch.get());
    const Status started = game->startDeviceAndLevel(overlayDevice);
    drawing->setImagePrefetch(nullptr);
    prefetch.reset();
    if (!started) {
      err << "cogstorm: " << started.message() << '\n';
      showMessageBox("Cogstorm!", started.message());
      status = 1;
    } else {
      window->show();
      FeedbackSounds feedback(*game, *engine, options.sound.feedbackSounds);
      int64_t tick = 0;  // ticks run so far
      size_t nextScripted = 0;
      bool traceFailed = false;
      FrameTimer timer;
      bool recordFailed = false;
      // Every press, typed, from a controller or from the script, is
      // recorded as pressed just before the next tick.
      auto press = [&](uint32_t code) {
        if (!shell.letThrough(code)) return;  // a card or a pause takes it
        if (recording.isOpen() && !recordFailed && !recording.write(tick + 1, code, error)) {
          err << "cogstorm: " << error << '\n';
          recordFailed = true;
          status = 1;
        }
        HandleKeyDown(*game, code);
      };
      const auto runTick = [&] {
        if (silent) silent->advance(kTickMilliseconds);
        for (; nextScripted < script.size() && script[nextScripted].tick == tick + 1; ++nextScripted)
          press(script[nextScripted].code);
        placePicture(renderDevice, layout);
        game->viewAspect = layout.viewAspect;
        timer.start();
        GameTick(*game);
        timer.stop();
        if (tick == 0) keepFreedMemoryBetweenFrames();
        feedback.afterTick(*game);
        ++tick;
        if (trace.isOpen() && !traceFailed && !trace.write(*game, tick, error)) {
          err << "cogstorm: " << error << '\n';
          traceFailed = true;
          status = 1;
        }
        game->audio.startedEffects.clear();
      };
      // The title follows the game; a paused picture is drawn again only
      // when it changes.
      std::string title;
      const auto present = [&] {
        // The mouse is held before the title says so: what reads the title
        // then finds the motion going to the game.
        window->captureMouse(shell.wantsMouse());
        const std::string now = shell.title(statusOf(*game));
        if (now != title) window->setTitle(title = now);
        if (shell.paused() && shell.takeRedraw()) overlayDevice.presentKept();
      };
      WindowHooks hooks;
      hooks.signal = [&](WindowSignal signal) {
        bool quit = shell.signal(signal);
        if (signal == WindowSignal::MouseClick && shell.clickFires()) press(static_cast<uint32_t>(kKeyFire));
        present();
        engine->SetPaused(shell.paused());
        return quit;
      };
      hooks.paused = [&] { return shell.paused(); };
      hooks.idle = [&] {
        shell.frame();
        present();
      };
      hooks.mouseMoved = [&](int dx) {
        for (uint32_t code : shell.mouseMoved(dx)) press(code);
      };
      const auto runPresentedTick = [&] {
        shell.frame();
        shell.takeRedraw();  // the tick draws anyway
        runTick();
        present();
      };
      present();  // the how-to-play card first, on a first start
      engine->SetPaused(shell.paused());
      if (draw.timedemoPath.empty()) {
        window->run(runPresentedTick, press, maxTicks, &hooks);
      } else {
        const int64_t ticks = maxTicks > 0 ? maxTicks : (script.empty() ? 0 : script.back().tick);
        if (window->runUnpaced(runTick, ticks)) std::cout << timedemoSummary(timer.frameMs()) << std::endl;
      }
    }
    // Everything the device made goes back while its context lives, and the
    // window stops calling into the device before it goes.
    game.reset();
    window->onDrawableResized(nullptr);
    window->onPlayerKey(nullptr);
    player.statusLine = shell.statusLine();
    player.fullscreen = window->fullscreen();
    window->windowedSize(player.windowWidth, player.windowHeight);
    if (options.playerAtExit) options.playerAtExit->emplace(player);
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

}  // namespace cog
