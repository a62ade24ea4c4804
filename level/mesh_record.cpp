// Reading one mesh record, in plain form (eight numbers a vertex, drawn as a
// strip) or in list form (five numbers a vertex, triangles or quads, normals
// computed here).

#include <cstdint>
#include <string>

#include "base/vec.h"
#include "level/mesh_record.h"
#include "level/level_budget.h"
#include "level/text_reader.h"

namespace cog {

namespace {

// The one normal that marks a floor: x and z zero (either sign), y exactly 1.
bool isFloorNormal(float nx, float ny, float nz) { return nx == 0.0f && nz == 0.0f && ny == 1.0f; }

bool checkIndex(TextReader& in, int32_t value, int32_t limit, const char* name, const std::string& limitText) {
  if (limit < 0) return true;
  if (value >= 0 && value < limit) return true;
  return in.fail(std::string(name) + " " + std::to_string(value) + " is out of range: " + limitText);
}

std::string plural(int32_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool checkMaterialAndTexture(TextReader& in, int32_t materialIndex, int32_t textureIndex) {
  return checkIndex(in, materialIndex, in.limits.materialCount, "materialIndex",
                  "the level has " + plural(in.limits.materialCount, "material", "materials")) &&
       checkIndex(in, textureIndex, in.limits.textureCount, "textureIndex",
                  "the level has " + plural(in.limits.textureCount, "texture", "textures"));
}

bool checkRoom(TextReader& in, int32_t roomNumber) {
  return checkIndex(in, roomNumber, in.limits.graphSize, "roomNumber",
                    "the room graph has " + plural(in.limits.graphSize, "room", "rooms"));
}

void growBounds(Vec3& lo, Vec3& hi, float x, float y, float z, bool first) {
  if (first) {
    lo = hi = Vec3(x, y, z);
    return;
  }
  if (x < lo.x) lo.x = x;
  if (x > hi.x) hi.x = x;
  if (y < lo.y) lo.y = y;
  if (y > hi.y) hi.y = y;
  if (z < lo.z) lo.z = z;
  if (z > hi.z) hi.z = z;
}

bool createBuffer(TextReader& in, RenderDevice& device, MeshRecord& r) {
  std::string error;
  r.vertexBuffer = device.CreateVertexBuffer(r.vertices.empty() ? nullptr : r.vertices.data(),
                                             static_cast<uint32_t>(r.vertices.size()) * kMeshVertexStride,
                                             kMeshFvf, error);
  if (!r.vertexBuffer) return in.fail("cannot create the record's vertex buffer: " + error);
  return true;
}

}  // namespace

bool MeshRecord::readRecord(TextReader& in, RenderDevice& device) {
  vertexBuffer.reset();
  vertices.clear();
  hasFloor = 0;
  boundsMin = boundsMax = Vec3();

  int32_t lead = 0;
  if (!in.readInt(lead, "record lead") || !chargeRecords(in, 1)) return false;
  if (lead == -1) {
    primitiveType = 1;
    return readListForm(in, device);
  }
  primitiveType = 0;
  isMarker = lead == 1 ? 1 : 0;
  if (isMarker) {
    int32_t unused = 0;
    if (!in.readInt(unused, "marker's second integer")) return false;
  }
  if (!in.readInt(roomNumber, "roomNumber") || !checkRoom(in, roomNumber)) return false;
  if (!in.readInt(materialIndex, "materialIndex") || !in.readInt(textureIndex, "textureIndex") ||
      !checkMaterialAndTexture(in, materialIndex, textureIndex))
    return false;
  if (!in.readInt(vertexCount, "vertexCount") || !in.readInt(primitiveCount, "primitiveCount")) return false;

  if (vertexCount < 0) return in.fail("vertexCount " + std::to_string(vertexCount) + " is negative"), false;
  if (primitiveCount < 0) return in.fail("primitiveCount " + std::to_string(primitiveCount) + " is negative"), false;
  if (primitiveCount > 0 && static_cast<int64_t>(vertexCount) < static_cast<int64_t>(primitiveCount) + 2) {
    in.fail("a strip of " + std::to_string(primitiveCount) + " triangles needs " +
            std::to_string(static_cast<int64_t>(primitiveCount) + 2) + " vertices, the record has " +
            std::to_string(vertexCount));
    return false;
  }
  if (isMarker && vertexCount < 3) {
    in.fail("a marker record needs at least 3 vertices, this one has " + std::to_string(vertexCount));
    return false;
  }
  if (!in.restCanHold(int64_t{8} * vertexCount)) {
    in.fail("vertexCount " + std::to_string(vertexCount) + " is more than the rest of the file can hold");
    return false;
  }
  if (!chargeVertices(in, vertexCount)) return false;

  vertices.resize(static_cast<size_t>(vertexCount));
  for (int32_t i = 0; i < vertexCount; ++i) {
    MeshVertex& v = vertices[static_cast<size_t>(i)];
    if (!in.readFloat(v.x, "vertex x") || !in.readFloat(v.y, "vertex y") || !in.readFloat(v.z, "vertex z"))
      return false;
    growBounds(boundsMin, boundsMax, v.x, v.y, v.z, i == 0);
    if (!in.readFloat(v.nx, "normal x") || !in.readFloat(v.ny, "normal y") || !in.readFloat(v.nz, "normal z"))
      return false;
    if (isFloorNormal(v.nx, v.ny, v.nz)) hasFloor = 1;
    if (!in.readFloat(v.u0, "texture u") || !in.readFloat(v.v0, "texture v")) return false;
    v.u1 = v.u0;
    v.v1 = v.v0;
  }
  return createBuffer(in, device, *this);
}

bool MeshRecord::readListForm(TextReader& in, RenderDevice& device) {
  primitiveType = 1;
  vertexBuffer.reset();
  vertices.clear();
  hasFloor = 0;
  boundsMin = boundsMax = Vec3();

  int32_t markerFlag = 0;
  int32_t count = 0;
  if (!in.readInt(roomNumber, "roomNumber") || !checkRoom(in, roomNumber)) return false;
  if (!in.readInt(markerFlag, "marker flag")) return false;
  isMarker = markerFlag == 1 ? 1 : 0;
  if (!in.readInt(materialIndex, "materialIndex") || !in.readInt(textureIndex, "textureIndex") ||
      !checkMaterialAndTexture(in, materialIndex, textureIndex))
    return false;
  if (!in.readInt(count, "triangle or quad count")) return false;

  const bool quads = count < 0;
  const int64_t triangles = quads ? -2 * static_cast<int64_t>(count) : count;
  const int64_t fileVertices = quads ? -4 * static_cast<int64_t>(count) : 3 * static_cast<int64_t>(count);
  if (!in.restCanHold(5 * fileVertices)) {
    in.fail("the count " + std::to_string(count) + " asks for more vertices than the rest of the file can hold");
    return false;
  }
  // Bounded by the file size from here on.
  primitiveCount = static_cast<int32_t>(triangles);
  vertexCount = static_cast<int32_t>(3 * triangles);
  if (isMarker && vertexCount < 3) {
    in.fail("a marker record needs at least 3 vertices, this one has " + std::to_string(vertexCount));
    return false;
  }
  if (!chargeVertices(in, vertexCount)) return false;

  vertices.resize(static_cast<size_t>(vertexCount));
  bool firstRead = true;
  int k = 0;
  for (int32_t d = 0; d < vertexCount; ++d) {
    if (k == 6) k = 0;
    MeshVertex& v = vertices[static_cast<size_t>(d)];
    if (k == 3 || k == 4) {
      // The second triangle of a quad reuses Q2 and Q1.
      const MeshVertex& from = vertices[static_cast<size_t>(d - (k == 3 ? 1 : 3))];
      v.x = from.x;
      v.y = from.y;
      v.z = from.z;
      v.u0 = v.u1 = from.u0;
      v.v0 = v.v1 = from.v0;
    } else {
      if (!in.readFloat(v.x, "vertex x") || !in.readFloat(v.y, "vertex y") || !in.readFloat(v.z, "vertex z"))
        return false;
      growBounds(boundsMin, boundsMax, v.x, v.y, v.z, firstRead);
      firstRead = false;
      if (!in.readFloat(v.u0, "texture u") || !in.readFloat(v.v0, "texture v")) return false;
      v.u1 = v.u0;
      v.v1 = v.v0;
    }
    if (quads) ++k;
  }

  for (int32_t t = 0; t < primitiveCount; ++t) {
    MeshVertex* p = &vertices[static_cast<size_t>(3 * t)];
    const Vec3 p0(p[0].x, p[0].y, p[0].z);
    const Vec3 p1(p[1].x, p[1].y, p[1].z);
    const Vec3 p2(p[2].x, p[2].y, p[2].z);
    const Vec3 a(p1.x - p2.x, p1.y - p2.y, p1.z - p2.z);
    const Vec3 b(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z);
    Vec3 n;
    vec3Cross(a, b, n.x, n.y, n.z);
    vec3Normalize(n);
    for (int i = 0; i < 3; ++i) {
      p[i].nx = n.x;
      p[i].ny = n.y;
      p[i].nz = n.z;
    }
    if (isFloorNormal(n.x, n.y, n.z)) hasFloor = 1;
  }
  return createBuffer(in, device, *this);
}

}  // namespace cog
