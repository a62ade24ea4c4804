#include "app/check.h"

#include <string>

#include "app/level_start.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/rec/recording_device.h"

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

void printSummary(std::ostream& out) {
  size_t markers = 0;
  for (const MeshRecord& r : level.rooms) markers += r.isMarker ? 1 : 0;
  size_t cellsSet = 0;
  for (uint8_t c : level.roomGraph.cells) cellsSet += c ? 1 : 0;

  out << "level ok\n";
  out << "light maps: " << level.lightMaps.size() << "\n";
  out << "level textures: " << level.levelTextures.size() << "\n";
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
  RecordingDevice dev;
  dev.setRecording(false);
  RenderDevice* const saved = device;
  device = &dev;

  std::string error;
  const bool ok = startLevel(error) == kOk;
  if (ok) {
    printSummary(out);
  } else {
    err << "cogstorm: " << error << "\n";
  }

  // The buffers and textures came from `dev`: free them before it goes.
  level.clear();
  for (Actor& robot : actors.robots) robot.model.reset();
  actors.shot.model.reset();
  device = saved;
  return ok ? 0 : 1;
}
