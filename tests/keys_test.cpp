// Key commands on a running game: every code of the command table, the
// signed-byte rule, and what works while the game is over.

#include <gtest/gtest.h>

#include "game/game_state.h"
#include "game/keys.h"
#include "audio/sound.h"
#include "level/model.h"
#include "render/draw_flags.h"
#include "sim/state.h"
#include "support/arena.h"

namespace cog {

namespace {

class Keys : public ArenaGame {
 protected:
  SimState& sim = game.sim;
  Actors& actors = game.actors;
  AudioState& audio = game.audio;
  ShellState& shell = game.shell;
  DrawFlags& drawFlags = game.drawFlags;
};

TEST_F(Keys, TurnAndWalkCodes) {
  HandleKeyDown(game, kKeyRight);
  EXPECT_EQ(sim.player.heading, 3.0f);
  HandleKeyDown(game, kKeyLeft);
  HandleKeyDown(game, kKeyLeft);
  EXPECT_EQ(sim.player.heading, -3.0f);
  HandleKeyDown(game, kKeyRight);

  HandleKeyDown(game, kKeyUp);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 58));
  HandleKeyDown(game, kKeyDown);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));

  for (uint32_t code : {kKeyStrafeRight, kKeyStrafeRightPad}) {
    const float x = sim.player.position.x;
    HandleKeyDown(game, code);
    EXPECT_NEAR(sim.player.position.x, x + 6, 1e-4) << code;
  }
  for (uint32_t code : {kKeyStrafeLeft, kKeyStrafeLeftF7}) {
    const float x = sim.player.position.x;
    HandleKeyDown(game, code);
    EXPECT_NEAR(sim.player.position.x, x - 6, 1e-4) << code;
  }
}

TEST_F(Keys, OnlyTheSignedLowByteCounts) {
  // 288 = 256 + 32: the low byte is the fire key.
  HandleKeyDown(game, 288);
  EXPECT_EQ(actors.shot.inFlight, 1);

  const SimState before = sim;
  // G, and codes whose low byte is 128 or more, do nothing.
  for (uint32_t code : {71u, 0xA0u, 0xFFu, 0x1A6u, 0u, 300u + 71u}) HandleKeyDown(game, code);
  EXPECT_EQ(sim.player.position, before.player.position);
  EXPECT_EQ(sim.player.heading, before.player.heading);
  EXPECT_EQ(shell.robotsFrozen, 0);
  EXPECT_EQ(drawFlags.xrayMode, 0);
}

TEST_F(Keys, TogglesFlipAndKeepAcrossNewGames) {
  for (uint32_t code : {kKeyFreeze, kKeyFreezePad}) {
    HandleKeyDown(game, code);
    EXPECT_EQ(shell.robotsFrozen, 1) << code;
    HandleKeyDown(game, code);
    EXPECT_EQ(shell.robotsFrozen, 0) << code;
  }
  shell.robotsFrozen = 7;  // anything but 0 becomes 0
  HandleKeyDown(game, kKeyFreeze);
  EXPECT_EQ(shell.robotsFrozen, 0);

  HandleKeyDown(game, kKeyFreeze);
  HandleKeyDown(game, kKeyXray);
  HandleKeyDown(game, kKeyNewGame);
  EXPECT_EQ(shell.robotsFrozen, 1);
  EXPECT_EQ(drawFlags.xrayMode, 1);
}

TEST_F(Keys, XrayOffRestoresStatesOnlyWithTAndF5) {
  renderDevice.setKeep(RecordingDevice::Keep::Everything);
  renderDevice.clearCalls();
  HandleKeyDown(game, kKeyXray);
  EXPECT_TRUE(renderDevice.calls().empty());
  HandleKeyDown(game, kKeyXrayF5);
  EXPECT_EQ(drawFlags.xrayMode, 0);
  ASSERT_EQ(renderDevice.calls().size(), 2u) << describeCalls(renderDevice.calls());
  EXPECT_EQ(renderDevice.calls()[0].kind, CallKind::SetRenderState);
  EXPECT_EQ(renderDevice.calls()[0].a, raw(RenderState::AlphaBlendEnable));
  EXPECT_EQ(renderDevice.calls()[0].b, false);
  EXPECT_EQ(renderDevice.calls()[1].a, raw(RenderState::ZEnable));
  EXPECT_EQ(renderDevice.calls()[1].b, true);

  // On with T, off with keypad 7: no state is touched.
  renderDevice.clearCalls();
  HandleKeyDown(game, kKeyXray);
  HandleKeyDown(game, kKeyXrayNoRestore);
  EXPECT_EQ(drawFlags.xrayMode, 0);
  EXPECT_TRUE(renderDevice.calls().empty());
}

TEST_F(Keys, MusicKeysPauseAndResume) {
  ASSERT_EQ(audio.musicPlaying, 1);
  HandleKeyDown(game, kKeyMusic);
  EXPECT_EQ(audio.musicPlaying, 0);
  HandleKeyDown(game, kKeyMusicPad);
  EXPECT_EQ(audio.musicPlaying, 1);
}

TEST_F(Keys, WhileTheGameIsOverOnlyTogglesAndNewGameWork) {
  sim.gameOver = 1;
  const Player before = sim.player;
  for (uint32_t code : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyStrafeRight, kKeyStrafeLeft, kKeyFire})
    HandleKeyDown(game, code);
  EXPECT_EQ(sim.player.position, before.position);
  EXPECT_EQ(sim.player.heading, before.heading);
  EXPECT_EQ(actors.shot.inFlight, 0);

  HandleKeyDown(game, kKeyFreeze);
  EXPECT_EQ(shell.robotsFrozen, 1);
  HandleKeyDown(game, kKeyNewGamePad);
  EXPECT_EQ(sim.gameOver, 0);
  HandleKeyDown(game, kKeyUp);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 58));
}

TEST_F(Keys, FireIsRefusedWhileTheShotFlies) {
  HandleKeyDown(game, kKeyFire);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));
  EXPECT_EQ(actors.shot.velocity, Vec3(0, 0, 14));
  HandleKeyDown(game, kKeyRight);
  HandleKeyDown(game, kKeyFire);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));
  EXPECT_EQ(actors.shot.rotation, Vec3(0, 0, 0));
}

}  // namespace

}  // namespace cog
