#include "game/session.h"

#include "game/game_state.h"
#include "game/level_start.h"
#include "audio/sound.h"
#include "level/level_data.h"
#include "level/model.h"
#include "seams/render_device.h"
#include "render/draw_flags.h"
#include "render/lights.h"
#include "sim/state.h"

namespace cog {

StartFailure startAudio(AudioEngine& engine, std::string& error) {
  sim.reset();
  shell.reset();
  drawFlags.reset();
  actors.reset();
  level.clear();
  return setupAudio(engine, error) == kOk ? StartFailure::None : StartFailure::Media;
}

StartFailure startDeviceAndLevel(RenderDevice& renderDevice, std::string& error) {
  device = &renderDevice;
  if (initDevice(sim.player.position, error) != kOk) return StartFailure::Device;
  if (startLevel(error) != kOk) return StartFailure::Level;
  return StartFailure::None;
}

StartFailure startGame(RenderDevice& renderDevice, AudioEngine& engine, std::string& error) {
  const StartFailure failure = startAudio(engine, error);
  return failure != StartFailure::None ? failure : startDeviceAndLevel(renderDevice, error);
}

void shutdownGame() {
  // Everything the device made goes back before the device does.
  level.clear();
  actors.reset();
  releaseDeviceTextures();
  shutdownAudio();
  device = nullptr;
}

}  // namespace cog
