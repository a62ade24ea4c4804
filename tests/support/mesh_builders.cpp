#include "support/mesh_builders.h"

namespace cog {

namespace {

MeshRecord build(const std::vector<Vec3>& points, int primitiveType, int primitiveCount,
                 const RecordOptions& options) {
  MeshRecord r;
  r.primitiveType = primitiveType;
  r.primitiveCount = primitiveCount;
  r.vertexCount = static_cast<int32_t>(points.size());
  r.roomNumber = options.roomNumber;
  r.isMarker = options.marker ? 1 : 0;
  r.hasFloor = options.floor ? 1 : 0;
  r.vertices.reserve(points.size());
  for (const Vec3& p : points) {
    MeshVertex v;
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    if (options.floor) v.ny = 1.0f;
    r.vertices.push_back(v);
  }
  fitBounds(r);
  return r;
}

}  // namespace

MeshRecord listRecord(const std::vector<Vec3>& corners, RecordOptions options) {
  return build(corners, 1, static_cast<int>(corners.size() / 3), options);
}

MeshRecord stripRecord(const std::vector<Vec3>& points, RecordOptions options) {
  const int count = points.size() >= 3 ? static_cast<int>(points.size()) - 2 : 0;
  return build(points, 0, count, options);
}

void appendQuad(std::vector<Vec3>& corners, Vec3 q0, Vec3 q1, Vec3 q2, Vec3 q3) {
  corners.insert(corners.end(), {q0, q1, q2, q2, q1, q3});
}

void appendWall(std::vector<Vec3>& corners, float x0, float z0, float x1, float z1, float y0, float y1) {
  appendQuad(corners, Vec3(x0, y0, z0), Vec3(x0, y1, z0), Vec3(x1, y0, z1), Vec3(x1, y1, z1));
}

void appendFloor(std::vector<Vec3>& corners, float x0, float z0, float x1, float z1, float y) {
  appendQuad(corners, Vec3(x0, y, z0), Vec3(x0, y, z1), Vec3(x1, y, z0), Vec3(x1, y, z1));
}

MeshRecord wallRecord(float x0, float z0, float x1, float z1, float y0, float y1, RecordOptions options) {
  std::vector<Vec3> corners;
  appendWall(corners, x0, z0, x1, z1, y0, y1);
  return listRecord(corners, options);
}

MeshRecord floorRecord(float x0, float z0, float x1, float z1, float y, RecordOptions options) {
  options.floor = true;
  std::vector<Vec3> corners;
  appendFloor(corners, x0, z0, x1, z1, y);
  return listRecord(corners, options);
}

MeshRecord markerRecord(int roomNumber, Vec3 v0, Vec3 v2) {
  RecordOptions options;
  options.roomNumber = roomNumber;
  options.marker = true;
  const Vec3 v1(v0.x, v0.y + 40.0f, v0.z);
  const Vec3 v3(v2.x, v2.y + 40.0f, v2.z);
  return stripRecord({v0, v1, v2, v3}, options);
}

void fitBounds(MeshRecord& record) {
  if (record.vertices.empty()) return;
  const MeshVertex& first = record.vertices.front();
  record.boundsMin = record.boundsMax = Vec3(first.x, first.y, first.z);
  for (const MeshVertex& v : record.vertices) {
    if (v.x < record.boundsMin.x) record.boundsMin.x = v.x;
    if (v.y < record.boundsMin.y) record.boundsMin.y = v.y;
    if (v.z < record.boundsMin.z) record.boundsMin.z = v.z;
    if (v.x > record.boundsMax.x) record.boundsMax.x = v.x;
    if (v.y > record.boundsMax.y) record.boundsMax.y = v.y;
    if (v.z > record.boundsMax.z) record.boundsMax.z = v.z;
  }
}

}  // namespace cog
