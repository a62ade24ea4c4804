#pragma once
// Everything the level files give the game: texture lists, materials, the
// room and prop records and the room graph.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "level/mesh_record.h"
#include "level/model.h"
#include "level/room_graph.h"
#include "seams/render_device.h"

namespace cog {

struct LevelData {
  // A file named more than once, in either list, is one shared texture.
  std::vector<std::shared_ptr<Texture>> lightMaps;
  std::vector<std::shared_ptr<Texture>> levelTextures;
  std::vector<Material> materials;
  std::vector<MeshRecord> rooms;
  std::vector<MeshRecord> props;
  RoomGraph roomGraph;

  int32_t lightMapCount() const { return static_cast<int32_t>(lightMaps.size()); }
  int32_t roomCount() const { return static_cast<int32_t>(rooms.size()); }
  int32_t propCount() const { return static_cast<int32_t>(props.size()); }

  // Frees everything (textures and buffers go back to the device).
  void clear();
};

// Reads the five level files from the working directory, in order, into
// `level` (the room graph allocated, still empty) and the actors' models,
// their textures and buffers made on `device`. A failure names the file,
// the line and what was wrong.
Status loadLevel(RenderDevice& device, LevelData& level, Actors& actors);

// The image files loadLevel will read, in its order: the light maps, then
// the textures. Only what is read well enough to name them; what is wrong
// is the load's to say.
std::vector<std::string> levelImageNames();

class TextReader;
// Opens the level file `fileName` into `reader`; false, with the reader
// holding the message, when it cannot.
using LevelFileOpener = std::function<bool(const std::string& fileName, TextReader& reader)>;
// loadLevel with the files read through `open` instead of from the working
// directory (tests and fuzzing keep them in memory).
Status loadLevelFrom(const LevelFileOpener& open, RenderDevice& device, LevelData& level, Actors& actors);

// Largest room graph accepted: graphSize * graphSize bytes are allocated.
constexpr int32_t kMaxGraphSize = 4096;
// Level textures the game draws with all of: the x-ray view uses the fifth
// and draws untextured without it.
constexpr int32_t kFullLevelTextures = 5;

}  // namespace cog
