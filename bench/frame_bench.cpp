// One whole frame of the shipped level drawn by the OpenGL devices at
// 512 x 512 on an offscreen surface (Mesa's llvmpipe where there is no
// GPU), beside a frame that only clears and presents. Each frame is timed
// to the end of its present, which waits for GL to finish it.
//
// Arguments: samples per pixel asked for (2 as the game's window asks,
// which llvmpipe cannot give exactly, so it draws without; 4 as llvmpipe
// grants), and 1 for smooth textures (linear with mipmaps) instead of
// points. The "samples" counter says what the surface really has. Time is
// wall time; the CPU column is the whole process (llvmpipe's threads too).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "app/render_choice.h"
#include "game/game_tick.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "platform/offscreen_gl.h"
#include "render/gl/gl_device.h"
#include "render/shader/shader_device.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/state.h"
#include "platform/heap_policy.h"

namespace cog {

namespace {

constexpr int kSize = 512;

bool enterShippedLevel(benchmark::State& state) {
  const std::string level = COGSTORM_SHIPPED_LEVEL_BUILD;
  if (chdir(level.c_str()) != 0) {
    state.SkipWithError("cannot enter the shipped level folder");
    return false;
  }
  return true;
}

void BM_FullFrame(benchmark::State& state) {
  if (!enterShippedLevel(state)) return;
  std::string error;
  std::unique_ptr<OffscreenGl> surface = OffscreenGl::create(kSize, kSize, static_cast<int>(state.range(0)), error);
  if (!surface) {
    state.SkipWithError(error.c_str());
    return;
  }
  {
    GlDevice renderDevice([&] { surface->swap(); },
                          state.range(1) != 0 ? TextureFilter::Smooth : TextureFilter::Point);
    SilentAudioEngine engine;
    engine.setRecording(false);
    Game game;
    if (Status s = game.start(renderDevice, engine); !s) {
      state.SkipWithError(s.message().c_str());
      return;
    }
    int ticks = 0;
    for (auto _ : state) {
      GameTick(game);
      engine.advance(33);
      // Keep the robots walking: start a new game before they catch up.
      if (++ticks == 25 || game.sim.gameOver) {
        resetGame(game.sim, game.actors);
        ticks = 0;
      }
    }
    state.counters["samples"] = surface->samples();
  }
}
BENCHMARK(BM_FullFrame)->Args({2, 0})->Args({2, 1})->Args({4, 0})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

constexpr RendererChoice kDevices[] = {RendererChoice::Compat, RendererChoice::Gl, RendererChoice::Gles};

// Both devices side by side on the shipped level at 512 x 512: 0 the
// fixed-function device (compatibility context), 1 the shader device on GL
// 3.3 core, 2 the shader device on OpenGL ES 3.0. "draws" is the GL draw
// calls a frame makes: on llvmpipe each costs a few microseconds however
// small, and they are most of the frame.
void BM_FrameByDevice(benchmark::State& state) {
  if (!enterShippedLevel(state)) return;
  std::string error;
  const RendererChoice choice = kDevices[state.range(0)];
  std::unique_ptr<OffscreenDrawing> drawing =
      makeOffscreenDrawing(choice, kSize, kSize, TextureFilter::Point, nullptr, error);
  if (!drawing) {
    state.SkipWithError(error.c_str());
    return;
  }
  {
    SilentAudioEngine engine;
    engine.setRecording(false);
    Game game;
    if (Status s = game.start(*drawing->device, engine); !s) {
      state.SkipWithError(s.message().c_str());
      return;
    }
    const auto draws = [&drawing]() -> uint64_t {
      if (auto* d = dynamic_cast<GlDevice*>(drawing->device.get())) return d->drawsMade();
      if (auto* d = dynamic_cast<ShaderDevice*>(drawing->device.get())) return d->drawsMade();
      return 0;
    };
    // As the game runs: one frame, then freed memory kept between frames.
    GameTick(game);
    engine.advance(33);
    keepFreedMemoryBetweenFrames();
    const uint64_t drawsBefore = draws();
    int ticks = 1;
    for (auto _ : state) {
      GameTick(game);
      engine.advance(33);
      if (++ticks == 25 || game.sim.gameOver) {
        resetGame(game.sim, game.actors);
        ticks = 0;
      }
    }
    if (state.iterations() > 0)
      state.counters["draws"] = static_cast<double>(draws() - drawsBefore) / static_cast<double>(state.iterations());
  }
  state.SetLabel(rendererName(choice));
}
BENCHMARK(BM_FrameByDevice)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// From nothing to the first finished frame: the surface and context, the
// device, the level's textures and buffers, the first tick's programs. The
// peak resident memory of the process so far is reported beside it.
void BM_StartToFirstFrame(benchmark::State& state) {
  if (!enterShippedLevel(state)) return;
  const RendererChoice choice = kDevices[state.range(0)];
  for (auto _ : state) {
    std::string error;
    std::unique_ptr<OffscreenDrawing> drawing =
        makeOffscreenDrawing(choice, kSize, kSize, TextureFilter::Point, nullptr, error);
    if (!drawing) {
      state.SkipWithError(error.c_str());
      return;
    }
    SilentAudioEngine engine;
    engine.setRecording(false);
    Game game;
    if (Status s = game.start(*drawing->device, engine); !s) {
      state.SkipWithError(s.message().c_str());
      return;
    }
    GameTick(game);
    game.shutdown();
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peakMiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.SetLabel(rendererName(choice));
}
BENCHMARK(BM_StartToFirstFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ClearAndPresent(benchmark::State& state) {
  std::string error;
  std::unique_ptr<OffscreenGl> surface = OffscreenGl::create(kSize, kSize, static_cast<int>(state.range(0)), error);
  if (!surface) {
    state.SkipWithError(error.c_str());
    return;
  }
  GlDevice renderDevice([&] { surface->swap(); });
  for (auto _ : state) {
    renderDevice.Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, kClearColour, 1.0f, 0);
    renderDevice.BeginScene();
    renderDevice.EndScene();
    renderDevice.Present();
  }
  state.counters["samples"] = surface->samples();
}
BENCHMARK(BM_ClearAndPresent)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

}  // namespace cog
