#include "game/keys.h"

#include "game/game_state.h"
#include "audio/sound.h"
#include "seams/render_device.h"
#include "render/draw_flags.h"
#include "sim/movement.h"
#include "sim/shot.h"

namespace cog {

namespace {

uint8_t toggled(uint8_t flag) { return flag == 0 ? 1 : 0; }

}  // namespace

void HandleKeyDown(uint32_t code) {
  const int command = static_cast<int8_t>(static_cast<uint8_t>(code & 0xFFu));
  switch (command) {
    case kKeyFire:
      fireShot();
      break;
    case kKeyLeft:
      turnLeft();
      break;
    case kKeyUp:
      walkForward();
      break;
    case kKeyRight:
      turnRight();
      break;
    case kKeyDown:
      walkBackward();
      break;
    case kKeyStrafeRight:
    case kKeyStrafeRightPad:
      strafeRight();
      break;
    case kKeyStrafeLeft:
    case kKeyStrafeLeftF7:
      strafeLeft();
      break;
    case kKeyFreeze:
    case kKeyFreezePad:
      shell.robotsFrozen = toggled(shell.robotsFrozen);
      break;
    case kKeyMusic:
    case kKeyMusicPad:
      ToggleMusic();
      break;
    case kKeyNewGame:
    case kKeyNewGamePad:
      resetGame();
      break;
    case kKeyXray:
    case kKeyXrayF5:
      if (drawFlags.xrayMode == 0) {
        drawFlags.xrayMode = 1;
      } else {
        drawFlags.xrayMode = 0;
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE_);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
      }
      break;
    case kKeyXrayNoRestore:
      drawFlags.xrayMode = toggled(drawFlags.xrayMode);
      break;
    default:
      break;
  }
}

}  // namespace cog
