#pragma once
// A test fixture that starts the game on the arena test level with the
// recording device and the silent audio engine, as a headless run does.

#include <gtest/gtest.h>

#include <string>

#include "audio/rec/silent_engine.h"
#include "render/rec/recording_device.h"

#include "game/game.h"

namespace cog {

class ArenaGame : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs one tick.
  void tick();

  RecordingDevice renderDevice;
  SilentAudioEngine engine;
  Game game;  // after the device and the engine: it goes before them
  std::string previousDir;
};

std::string arenaFolder();

}  // namespace cog
