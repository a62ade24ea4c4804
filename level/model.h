#pragma once
// Actors (the seven robots and the shot) and their articulated model trees.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/vec3.h"
#include "level/mesh_record.h"

namespace cog {

class TextReader;

struct Keyframe {
  float time = 0.0f;
  Vec3 angles;  // degrees about x, y, z
};

// One part of a model: a mesh, a joint and its keys. The tree is stored
// first-child / next-sibling; every walk over it is iterative, so deep
// chains neither overflow the stack on reading, drawing nor freeing.
class ModelPart {
 public:
  ModelPart() = default;
  ~ModelPart();
  ModelPart(const ModelPart&) = delete;
  ModelPart& operator=(const ModelPart&) = delete;

  MeshRecord mesh;
  std::unique_ptr<ModelPart> sibling;
  std::unique_ptr<ModelPart> child;
  std::vector<Keyframe> keys;  // in file order; the last has time 1.0
  size_t currentKey = 0;       // index into keys
  Vec3 pivot;

  bool hasNextKey() const { return currentKey + 1 < keys.size(); }

  // Reads this part and its subtrees from a model file; false with
  // the reader holding the message; meshes are made on `device`.
  bool readPart(TextReader& in, RenderDevice& device);
  // Frees the sibling and child subtrees and the keys.
  void clear();
};

class Actor {
 public:
  Actor(int kind, int index);

  uint8_t inFlight = 0;
  Vec3 velocity;
  Vec3 position;
  Vec3 rotation;
  Vec3 rotationCentre;
  float walkPhase = 0.0f;
  float sourceValue = 0.0f;
  uint8_t walks = 0;
  uint8_t alive = 1;
  std::unique_ptr<ModelPart> model;
  int32_t index = 0;

  void SetPosition(float x, float y, float z) { position = Vec3(x, y, z); }
  void SetVelocity(float x, float y, float z) {
    velocity = Vec3(x, y, z);
    inFlight = 1;
  }
  void SetRotation(float x, float y, float z) { rotation = Vec3(x, y, z); }
  void SetRotationCentre(float x, float y, float z) { rotationCentre = Vec3(x, y, z); }

  // Reads the model's first value and its part tree; false with the
  // reader holding the message; meshes are made on `device`.
  bool load(TextReader& in, RenderDevice& device);
};

constexpr int kRobotCount = 7;

// Most parts one model file may hold: every robot reads its own copy of the
// model, so this bounds what a hostile file can make the game allocate.
constexpr int32_t kMaxModelParts = 250000;

// The eight actors of the game.
struct Actors {
  Actors();
  Actor robots[kRobotCount];
  Actor shot;
  // Back to freshly constructed actors (no models): for tests.
  void reset();
};

}  // namespace cog
