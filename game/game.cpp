// The game object: start-up and shut-down in the game's order.
#include "game/game.h"

#include <iterator>

#include "game/level_start.h"

namespace cog {

Game::~Game() { shutdown(); }

Status Game::startAudio(AudioEngine& engine) {
  shutdown();
  return audio.setup(engine);
}

Status Game::startDeviceAndLevel(RenderDevice& renderDevice) {
  device = &renderDevice;
  Result<BaseTextures> base = initDevice(renderDevice, sim.player.position);
  if (!base) return base.status();
  textures = std::move(base.value());
  return startLevel(*this, loadLevel);
}

Status Game::start(RenderDevice& renderDevice, AudioEngine& engine) {
  if (Status s = startAudio(engine); !s) return s;
  return startDeviceAndLevel(renderDevice);
}

Status Game::startLevelFrom(const LevelFileOpener& open) {
  return startLevel(*this, [&open](RenderDevice& d, LevelData& l, Actors& a) { return loadLevelFrom(open, d, l, a); });
}

std::vector<std::string> Game::startImageFiles() {
  std::vector<std::string> files(std::begin(kBaseImageFiles), std::end(kBaseImageFiles));
  for (std::string& name : levelImageNames()) files.push_back(std::move(name));
  return files;
}

void Game::shutdown() {
  // Everything the device made goes back before the device does.
  level.clear();
  actors.reset();
  textures = BaseTextures();
  audio.shutdown();
  device = nullptr;
  sim.reset();
  shell.reset();
  drawFlags.reset();
}

}  // namespace cog
