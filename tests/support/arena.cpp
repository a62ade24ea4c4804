#include "support/arena.h"

#include <unistd.h>

#include <filesystem>

#include "game/game_tick.h"
#include "game/game.h"
#include "audio/sound.h"

namespace cog {

std::string arenaFolder() { return std::string(COGSTORM_TEST_DATA) + "/levels/arena"; }

void ArenaGame::SetUp() {
  previousDir = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(arenaFolder().c_str()), 0);
  const Status started = game.start(renderDevice, engine);
  ASSERT_TRUE(started.ok()) << started.message();
  game.audio.startedEffects.clear();
}

void ArenaGame::TearDown() {
  if (!previousDir.empty()) {
    EXPECT_EQ(chdir(previousDir.c_str()), 0);
  }
}

void ArenaGame::tick() { GameTick(game); }

}  // namespace cog
