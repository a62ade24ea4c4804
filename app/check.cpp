#include "app/check.h"

#include <algorithm>
#include <string>

#include "app/level_warnings.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/rec/recording_device.h"

namespace cog {

namespace {

// Parts in a model tree, counted without recursion.
size_t countParts(const ModelPart* root) {
  size_t n = 0;
  std::vector<const ModelPart*> stack;
  if (root) stack.push_back(root);
  while (!stack.empty()) {
    const ModelPart* p = stack.back();
    stack.pop_back();
    ++n;
    if (p->sibling) stack.push_back(p->sibling.get());
    if (p->child) stack.push_back(p->child.get());
  }
  return n;
}

// Distinct textures the two lists share out.
size_t countImages(const LevelData& level) {
  std::vector<const Texture*> seen;
  for (const auto* list : {&level.lightMaps, &level.levelTextures})
    for (const auto& t : *list)
      if (std::find(seen.begin(), seen.end(), t.get()) == seen.end()) seen.push_back(t.get());
  return seen.size();
}

void printSummary(const Game& game, std::ostream& out) {
  const LevelData& level = game.level;
  const Actors& actors = game.actors;
  size_t markers = 0;
  for (const MeshRecord& r : level.rooms) markers += r.isMarker ? 1 : 0;
  size_t cellsSet = 0;
  for (uint8_t c : level.roomGraph.cells) cellsSet += c ? 1 : 0;

  out << "level ok\n";
  out << "light maps: " << level.lightMaps.size() << "\n";
  out << "level textures: " << level.levelTextures.size() << "\n";
  out << "images: " << countImages(level) << "\n";
  out << "materials: " << level.materials.size() << "\n";
  out << "room records: " << level.rooms.size() << "\n";
  out << "marker records: " << markers << "\n";
  out << "props: " << level.props.size() << "\n";
  out << "room graph: " << level.roomGraph.size << " rooms, " << cellsSet << " cells set\n";
  out << "model parts: robots";
  for (const Actor& robot : actors.robots) out << " " << countParts(robot.model.get());
  out << ", shot " << countParts(actors.shot.model.get()) << "\n";
}

}  // namespace

int runCheck(std::ostream& out, std::ostream& err) {
  // Everything the game opens at start-up, in its order and with its
  // messages: the music and sounds, the base images, the level.
  RecordingDevice renderDevice;
  renderDevice.setRecording(false);
  SilentAudioEngine engine;
  engine.setRecording(false);
  // The buffers and textures come from `renderDevice`: the game goes first.
  Game game;
  if (Status s = game.startAudio(engine); !s) {
    err << "cogstorm: " << kMediaMissingText << " (" << s.message() << ")\n";
    return 1;
  }
  if (Status s = game.startDeviceAndLevel(renderDevice); !s) {
    err << "cogstorm: " << s.message() << "\n";
    return 1;
  }
  printSummary(game, out);
  for (const std::string& warning : levelWarnings(game)) err << "cogstorm: warning: " << warning << "\n";
  return 0;
}

}  // namespace cog
