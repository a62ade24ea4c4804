#include "game/keys.h"

#include "game/game_state.h"
#include "audio/sound.h"
#include "seams/render_device.h"
#include "render/draw_flags.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/shot.h"

namespace cog {

namespace {

uint8_t toggled(uint8_t flag) { return flag == 0 ? 1 : 0; }

}  // namespace

void HandleKeyDown(Game& game, uint32_t code) {
  World world = game.world();
  const int command = static_cast<int8_t>(static_cast<uint8_t>(code & 0xFFu));
  switch (command) {
    case kKeyFire:
      fireShot(world);
      break;
    case kKeyLeft:
      turnLeft(world);
      break;
    case kKeyUp:
      walkForward(world);
      break;
    case kKeyRight:
      turnRight(world);
      break;
    case kKeyDown:
      walkBackward(world);
      break;
    case kKeyStrafeRight:
    case kKeyStrafeRightPad:
      strafeRight(world);
      break;
    case kKeyStrafeLeft:
    case kKeyStrafeLeftF7:
      strafeLeft(world);
      break;
    case kKeyFreeze:
    case kKeyFreezePad:
      game.shell.robotsFrozen = toggled(game.shell.robotsFrozen);
      break;
    case kKeyMusic:
    case kKeyMusicPad:
      game.audio.ToggleMusic();
      break;
    case kKeyNewGame:
    case kKeyNewGamePad:
      resetGame(game.sim, game.actors);
      break;
    case kKeyXray:
    case kKeyXrayF5:
      if (game.drawFlags.xrayMode == 0) {
        game.drawFlags.xrayMode = 1;
      } else {
        game.drawFlags.xrayMode = 0;
        if (game.device != nullptr) {
          game.device->SetRenderState(RenderState::AlphaBlendEnable, false);
          game.device->SetRenderState(RenderState::ZEnable, true);
        }
      }
      break;
    case kKeyXrayNoRestore:
      game.drawFlags.xrayMode = toggled(game.drawFlags.xrayMode);
      break;
    default:
      break;
  }
}

}  // namespace cog
