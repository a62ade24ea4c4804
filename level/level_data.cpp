// The level loader: the five level files, in order, into the level lists,
// the room graph's size and the actors' models. It only loads: start-up
// (app/level_start.cpp) then builds the room graph and resets the game.

#include "level/level_data.h"

#include <algorithm>
#include <map>
#include <string>

#include "level/level_budget.h"
#include "level/model.h"
#include "level/text_reader.h"

namespace cog {

void LevelData::clear() {
  rooms.clear();
  props.clear();
  roomGraph = RoomGraph();
  materials.clear();
  levelTextures.clear();
  lightMaps.clear();
}

namespace {

// A count that must not be negative and whose entries, `tokensEach` numbers
// or words apiece, must fit in the rest of the file.
bool readCount(TextReader& in, int32_t& count, const char* what, int64_t tokensEach) {
  if (!in.readInt(count, what)) return false;
  if (count < 0) return in.fail(std::string(what) + " " + std::to_string(count) + " is negative");
  if (!in.restCanHold(tokensEach * count))
    return in.fail(std::string(what) + " " + std::to_string(count) + " is more than the rest of the file can hold");
  return true;
}

// The images of the two texture lists, by file name: a name given twice,
// in either list, is one texture.
using ImageCache = std::map<std::string, std::shared_ptr<Texture>>;

bool readTextures(TextReader& in, RenderDevice& device, int32_t count, std::vector<std::shared_ptr<Texture>>& list,
                  ImageCache& cache, const char* what) {
  if (!chargeImageNames(in, count)) return false;
  list.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    std::string name;
    if (!in.readWord(name, what)) return false;
    std::shared_ptr<Texture>& texture = cache[name];
    if (!texture) {
      std::string error;
      texture = device.CreateTextureFromFile(name, error);
      if (!texture) return in.fail(error.empty() ? "cannot load the image \"" + name + "\"" : error);
      if (!chargeImagePixels(in, int64_t{texture->width()} * texture->height())) return false;
    }
    list.push_back(texture);
  }
  return true;
}

bool readMaterial(TextReader& in, Material& m) {
  m = Material();  // emissive and power are not in the file: zero
  float* fields[12] = {&m.diffuse.r,  &m.diffuse.g,  &m.diffuse.b,  &m.diffuse.a,
                       &m.ambient.r,  &m.ambient.g,  &m.ambient.b,  &m.ambient.a,
                       &m.specular.r, &m.specular.g, &m.specular.b, &m.specular.a};
  static const char* const names[12] = {"diffuse red",  "diffuse green",  "diffuse blue",  "diffuse alpha",
                                        "ambient red",  "ambient green",  "ambient blue",  "ambient alpha",
                                        "specular red", "specular green", "specular blue", "specular alpha"};
  for (int i = 0; i < 12; ++i)
    if (!in.readFloat(*fields[i], names[i])) return false;
  return true;
}

// Records of a room or prop list; each needs at least six integers.
bool readRecords(TextReader& in, RenderDevice& device, int32_t count, std::vector<MeshRecord>& list) {
  list.reserve(static_cast<size_t>(std::min(count, 4096)));
  for (int32_t i = 0; i < count; ++i) {
    list.emplace_back();
    if (!list.back().readRecord(in, device)) return false;
  }
  return true;
}

// Mesh records and vertices of a model tree.
void measureModel(const ModelPart* root, int64_t& records, int64_t& vertices) {
  records = vertices = 0;
  std::vector<const ModelPart*> stack;
  if (root) stack.push_back(root);
  while (!stack.empty()) {
    const ModelPart* p = stack.back();
    stack.pop_back();
    ++records;
    vertices += static_cast<int64_t>(p->mesh.vertices.size());
    if (p->sibling) stack.push_back(p->sibling.get());
    if (p->child) stack.push_back(p->child.get());
  }
}

// Each model reads its file from the start; the text itself is read once.
Status loadModel(TextReader& in, RenderDevice& device, Actor& actor, const RecordLimits& limits) {
  in.restart();
  in.limits = limits;
  if (actor.load(in, device)) return okStatus();
  return Status::failure(in.error());
}

// The robots all read "enin.txt" from its start: the file is read once, and
// what the first robot made is charged for the other six before they make
// their copies.
Status loadRobots(const LevelFileOpener& open, RenderDevice& device, Actors& actors, const RecordLimits& limits) {
  TextReader file;
  if (!open("enin.txt", file)) return Status::failure(file.error());
  if (Status s = loadModel(file, device, actors.robots[0], limits); !s) return s;
  int64_t records = 0, vertices = 0;
  measureModel(actors.robots[0].model.get(), records, vertices);
  TextReader copies(file.name(), std::string());  // for the message only
  copies.limits = limits;
  if (!chargeRecords(copies, records * (kRobotCount - 1)) || !chargeVertices(copies, vertices * (kRobotCount - 1)))
    return Status::failure(copies.error() + " (each of the seven robots has its own copy of the model)");
  // The first robot's share was charged as it read; the copies are paid for.
  RecordLimits unchargedLimits = limits;
  unchargedLimits.budget = nullptr;
  for (int i = 1; i < kRobotCount; ++i)
    if (Status s = loadModel(file, device, actors.robots[i], unchargedLimits); !s) return s;
  return okStatus();
}

bool openFromWorkingDirectory(const std::string& fileName, TextReader& reader) {
  return reader.open(fileName, fileName);
}

}  // namespace

Status loadLevel(RenderDevice& device, LevelData& level, Actors& actors) {
  return loadLevelFrom(openFromWorkingDirectory, device, level, actors);
}

std::vector<std::string> levelImageNames() {
  std::vector<std::string> names;
  LevelBudget budget;
  for (const char* file : {"Lbank.txt", "dat.txt"}) {
    TextReader in;
    int32_t count = 0;
    if (!openFromWorkingDirectory(file, in) || !readCount(in, count, "count", 1)) break;
    in.limits.budget = &budget;
    if (!chargeImageNames(in, count)) break;
    for (int32_t i = 0; i < count; ++i) {
      std::string name;
      if (!in.readWord(name, "file name")) return names;
      names.push_back(std::move(name));
    }
  }
  return names;
}

Status loadLevelFrom(const LevelFileOpener& open, RenderDevice& device, LevelData& level, Actors& actors) {
  level.clear();
  for (Actor& robot : actors.robots) robot.model.reset();
  actors.shot.model.reset();
  LevelBudget budget;
  ImageCache images;
  auto failed = [](const TextReader& in) { return Status::failure(in.error()); };

  // "Lbank.txt": the light maps.
  {
    TextReader in;
    if (!open("Lbank.txt", in)) return failed(in);
    int32_t count = 0;
    if (!readCount(in, count, "lightMapCount", 1)) return failed(in);
    in.limits.budget = &budget;
    if (!readTextures(in, device, count, level.lightMaps, images, "light map file name")) return failed(in);
  }

  // "dat.txt": level textures, materials, the room list.
  int32_t textureCount = 0;
  int32_t materialCount = 0;
  int32_t graphSize = 0;
  {
    TextReader in;
    if (!open("dat.txt", in)) return failed(in);
    if (!readCount(in, textureCount, "levelTextureCount", 1)) return failed(in);
    in.limits.budget = &budget;
    if (!readTextures(in, device, textureCount, level.levelTextures, images, "texture file name")) return failed(in);

    if (!readCount(in, materialCount, "materialCount", 12) || !chargeMaterials(in, materialCount)) return failed(in);
    level.materials.resize(static_cast<size_t>(materialCount));
    for (Material& m : level.materials)
      if (!readMaterial(in, m)) return failed(in);

    int32_t roomCount = 0;
    if (!readCount(in, roomCount, "roomCount", 6)) return failed(in);
    if (!in.readInt(graphSize, "graphSize")) return failed(in);
    if (graphSize < 0) {
      in.fail("graphSize " + std::to_string(graphSize) + " is negative");
      return failed(in);
    }
    if (graphSize > kMaxGraphSize) {
      in.fail("graphSize " + std::to_string(graphSize) + " is larger than " + std::to_string(kMaxGraphSize));
      return failed(in);
    }
    level.roomGraph.allocate(graphSize);
    in.limits = RecordLimits{materialCount, textureCount, graphSize, &budget};
    if (!readRecords(in, device, roomCount, level.rooms)) return failed(in);
  }

  // "objects.txt": the props.
  {
    TextReader in;
    if (!open("objects.txt", in)) return failed(in);
    int32_t propCount = 0;
    if (!readCount(in, propCount, "propCount", 6)) return failed(in);
    in.limits = RecordLimits{materialCount, textureCount, graphSize, &budget};
    if (!readRecords(in, device, propCount, level.props)) return failed(in);
  }

  // The models: every robot reads "enin.txt" from its start, then the shot
  // reads "shot.txt". Their meshes are drawn like any record but belong to
  // no room.
  const RecordLimits modelLimits{materialCount, textureCount, -1, &budget};
  if (Status s = loadRobots(open, device, actors, modelLimits); !s) return s;
  {
    TextReader in;
    if (!open("shot.txt", in)) return failed(in);
    if (Status s = loadModel(in, device, actors.shot, modelLimits); !s) return s;
  }
  return okStatus();
}

}  // namespace cog
