#pragma once
// MeshRecord: every drawable mesh of the game (room records, props, model
// parts), with its bounds, flags, room number and vertex buffer.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/vec3.h"
#include "seams/render_device.h"

namespace cog {

class TextReader;

// One vertex, 40 bytes, vertex format 0x212: position, normal, and the same
// (u, v) twice (base texture and light map).
struct MeshVertex {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float nx = 0.0f, ny = 0.0f, nz = 0.0f;
  float u0 = 0.0f, v0 = 0.0f;
  float u1 = 0.0f, v1 = 0.0f;
};
static_assert(sizeof(MeshVertex) == 40, "MeshVertex must be 40 bytes");

class MeshRecord {
 public:
  MeshRecord() = default;
  MeshRecord(MeshRecord&&) = default;
  MeshRecord& operator=(MeshRecord&&) = default;
  MeshRecord(const MeshRecord&) = delete;
  MeshRecord& operator=(const MeshRecord&) = delete;

  int32_t primitiveType = 0;   // 1: triangle list (list form), 0: strip (plain form)
  int32_t vertexCount = 0;
  int32_t primitiveCount = 0;
  int32_t materialIndex = 0;
  int32_t textureIndex = 0;
  uint8_t isMarker = 0;
  uint8_t hasFloor = 0;
  int32_t roomNumber = 0;
  Vec3 boundsMin;
  Vec3 boundsMax;
  std::unique_ptr<VertexBuffer> vertexBuffer;
  // What the vertex buffer holds, kept for the collision and sight tests.
  std::vector<MeshVertex> vertices;

  // Reading (level/mesh_record.cpp), the vertex buffer made on `device`.
  // False on failure, with the reader
  // holds the message.
  bool readRecord(TextReader& in, RenderDevice& device);
  bool readListForm(TextReader& in, RenderDevice& device);
};

}  // namespace cog
