// One game tick on the recording device, seven robots walking towards the
// player: on the arena test level, and on the shipped level from its start
// (where most of its records are in sight).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/game_tick.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "render/rec/recording_device.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/state.h"

namespace cog {

namespace {

void runTicks(benchmark::State& state, const std::string& folder) {
  if (chdir(folder.c_str()) != 0) {
    state.SkipWithError(("cannot enter " + folder).c_str());
    return;
  }
  RecordingDevice renderDevice;
  SilentAudioEngine engine;
  Game game;
  if (Status s = game.start(renderDevice, engine); !s) {
    state.SkipWithError(s.message().c_str());
    return;
  }
  int ticks = 0;
  for (auto _ : state) {
    GameTick(game);
    engine.clearCalls();
    // Keep the robots walking: start a new game before they catch up.
    if (++ticks == 25 || game.sim.gameOver) {
      state.PauseTiming();
      resetGame(game.sim, game.actors);
      ticks = 0;
      state.ResumeTiming();
    }
  }
}

void BM_GameTick(benchmark::State& state) {
  runTicks(state, std::string(COGSTORM_SOURCE_DIR) + "/tests/data/levels/arena");
}
BENCHMARK(BM_GameTick)->Unit(benchmark::kMicrosecond);

void BM_ShippedLevelTick(benchmark::State& state) { runTicks(state, COGSTORM_SHIPPED_LEVEL_BUILD); }
BENCHMARK(BM_ShippedLevelTick)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace cog
