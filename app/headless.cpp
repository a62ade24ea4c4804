#include "app/headless.h"

#include <iostream>
#include <memory>
#include <vector>

#include "game/game_tick.h"
#include "app/key_script.h"
#include "game/keys.h"
#include "game/game.h"
#include "app/feedback_sounds.h"
#include "app/overlay_device.h"
#include "app/sound_recording.h"
#include "app/timedemo.h"
#include "app/trace.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "platform/gl_attributes.h"
#include "platform/offscreen_gl.h"
#include "render/gl/gl_device.h"
#include "render/picture_layout.h"
#include "render/rec/recording_device.h"
#include "platform/heap_policy.h"

namespace cog {

int runHeadless(const HeadlessOptions& options, std::ostream& err) {
  std::vector<KeyPress> presses;
  std::string error;
  if (!options.inputPath.empty() && !readKeyScript(options.inputPath, presses, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  // A timedemo without --ticks runs to its script's last key.
  const bool timedemo = !options.draw.timedemoPath.empty();
  const int64_t ticks = timedemo && options.ticks == 0 && !presses.empty() ? presses.back().tick : options.ticks;
  TraceFile trace;
  if (!options.tracePath.empty() && !trace.open(options.tracePath, error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  FrameShots shots(options.shots, ticks);
  if (!shots.prepare(error)) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }

  // Drawing with GL on an offscreen surface, or on the recording device,
  // keeping no calls since nobody reads them.
  std::unique_ptr<OffscreenDrawing> drawing;
  std::unique_ptr<RenderDevice> renderDevice;
  int64_t tick = 0;
  std::string shotError;
  if (options.drawsWithGl()) {
    drawing = makeOffscreenDrawing(
        options.draw.renderer, options.frameWidth, options.frameHeight,
        options.draw.smooth ? TextureFilter::Smooth : TextureFilter::Point,
        [&] {
          // The frame is read before the swap, while it is still there.
          const OffscreenGl& surface = *drawing->surface;
          if (shotError.empty() && shots.wants(tick))
            shots.write(tick, surface.width(), surface.height(), surface.readPixels(), shotError);
        },
        error, options.draw.sampleMemoPath);
    if (!drawing) {
      err << "cogstorm: " << error << '\n';
      return 1;
    }
    renderDevice = std::move(drawing->device);
  } else {
    auto recording = std::make_unique<RecordingDevice>();
    recording->setRecording(false);
    renderDevice = std::move(recording);
  }

  // Nobody reads the calls of a headless run: keep none. Recorded sound
  // plays on the loopback engine instead; the game and its trace are the
  // same either way.
  SilentAudioEngine silent;
  silent.setRecording(false);
  std::unique_ptr<SoundRecording> recording;
  if (!options.sound.audioOutPath.empty()) {
    recording = SoundRecording::open(options.sound.audioOutPath, options.sound.soundFont, error);
    if (!recording) {
      err << "cogstorm: " << error << '\n';
      return 1;
    }
    if (!recording->musicProblem().empty()) {
      err << "cogstorm: " << recording->musicProblem() << '\n';
      // A SoundFont the player named and cannot have is an error.
      if (!options.sound.soundFont.empty()) return 1;
    }
  }
  AudioEngine& engine = recording ? recording->engine() : silent;
  // The presentation laid over the frames, when asked for.
  const Game* shown = nullptr;
  OverlayDevice overlayDevice(*renderDevice);
  if (options.statusLine || options.card != Card::None) {
    overlayDevice.setOverlay([&](const Viewport& viewport) {
      Overlay overlay;
      const bool paused = options.card == Card::Paused;
      if (options.statusLine) addStatusLine(overlay, statusText(statusOf(*shown), paused), "", viewport);
      addCard(overlay, options.card, viewport);
      return overlay;
    });
  }
  // Declared after the device and the engine, so it shuts down before them.
  auto game = std::make_unique<Game>();
  shown = game.get();
  if (Status s = game->startAudio(engine); !s) {
    err << "cogstorm: " << kMediaMissingText << " (" << s.message() << ")\n";
    return 1;
  }
  if (Status s = game->startDeviceAndLevel(overlayDevice); !s) {
    err << "cogstorm: " << s.message() << '\n';
    return 1;
  }

  FeedbackSounds feedback(*game, engine, options.sound.feedbackSounds);
  // Frames drawn with GL have the window's shape, the picture placed in
  // them as the aspect mode says; the recording device draws nothing.
  const PictureLayout layout =
      layoutPicture(options.draw.aspect, static_cast<uint32_t>(options.frameWidth),
                    static_cast<uint32_t>(options.frameHeight));
  const bool placed = options.drawsWithGl();
  FrameTimer timer;
  size_t next = 0;
  game->audio.startedEffects.clear();
  for (tick = 1; tick <= ticks; ++tick) {
    // The 33 ms up to the tick pass before its keys and its frame.
    if (!recording) {
      silent.advance(kTickMilliseconds);
    } else if (!recording->recordTick(error)) {
      err << "cogstorm: " << error << '\n';
      return 1;
    }
    for (; next < presses.size() && presses[next].tick == tick; ++next) HandleKeyDown(*game, presses[next].code);
    if (placed) {
      placePicture(*renderDevice, layout);
      game->viewAspect = layout.viewAspect;
    }
    timer.start();
    GameTick(*game);
    timer.stop();
    if (tick == 1 && placed) keepFreedMemoryBetweenFrames();  // GL frames only: see heap_policy.h
    feedback.afterTick(*game);
    if (!shotError.empty()) error = shotError;
    if (!shotError.empty() || (trace.isOpen() && !trace.write(*game, tick, error))) {
      err << "cogstorm: " << error << '\n';
      return 1;
    }
    game->audio.startedEffects.clear();
  }
  game.reset();  // the game stops its sound before the recording is finished
  if (!trace.close(error) || (recording && !recording->finish(error))) {
    err << "cogstorm: " << error << '\n';
    return 1;
  }
  if (timedemo) std::cout << timedemoSummary(timer.frameMs()) << std::endl;
  return 0;
}

}  // namespace cog
