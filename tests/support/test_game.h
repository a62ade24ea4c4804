#pragma once
// A fresh game for one test, on a TestDevice and a silent engine, with its
// parts reachable by the names the game uses (sim, actors, level, audio,
// shell, drawFlags) and the simulation's and the passes' views of it
// (world, scene). It goes away at the end of the test: the level and the
// models first, then the device and the engine they came from. Nothing is
// shared between tests, so nothing needs resetting by hand.

#include <gtest/gtest.h>

#include "audio/rec/silent_engine.h"
#include "game/game.h"
#include "support/test_device.h"

namespace cog {

struct TestGame {
  TestGame() { game.device = &dev; }
  TestGame(const TestGame&) = delete;
  TestGame& operator=(const TestGame&) = delete;

  TestDevice dev;
  SilentAudioEngine engine;  // not attached: a test that wants sound sets audio.engine
  Game game;
  SimState& sim = game.sim;
  Actors& actors = game.actors;
  LevelData& level = game.level;
  AudioState& audio = game.audio;
  ShellState& shell = game.shell;
  DrawFlags& drawFlags = game.drawFlags;
  World world{game.sim, game.actors, game.level, game.audio};
  Scene scene{dev, game.level, game.drawFlags};
};

// The same as a GoogleTest fixture: TEST_F bodies use the names directly.
class GameTest : public ::testing::Test, public TestGame {};

}  // namespace cog
