#pragma once
// Mesh records built in memory for tests: vertices, bounds and flags are
// filled directly, no file and no device buffer.

#include <vector>

#include "base/vec3.h"
#include "level/mesh_record.h"

namespace cog {

struct RecordOptions {
  int roomNumber = 0;
  bool marker = false;
  // Sets hasFloor and gives every vertex the normal (0, 1, 0); otherwise
  // normals stay (0, 0, 0) and hasFloor 0.
  bool floor = false;
};

// A triangle list (primitiveType 1): three corners per triangle,
// primitiveCount = corners / 3, bounds over all corners.
MeshRecord listRecord(const std::vector<Vec3>& corners, RecordOptions options = {});
// A triangle strip (primitiveType 0): primitiveCount = points - 2.
MeshRecord stripRecord(const std::vector<Vec3>& points, RecordOptions options = {});

// Appends the two list triangles (q0, q1, q2) and (q2, q1, q3) of a quad, in
// the order the list-form reader stores them.
void appendQuad(std::vector<Vec3>& corners, Vec3 q0, Vec3 q1, Vec3 q2, Vec3 q3);
// Corners of an upright wall from ground point (x0, z0) to (x1, z1),
// between heights y0 and y1.
void appendWall(std::vector<Vec3>& corners, float x0, float z0, float x1, float z1, float y0, float y1);
// Corners of a level rectangle at height y over [x0, x1] x [z0, z1].
void appendFloor(std::vector<Vec3>& corners, float x0, float z0, float x1, float z1, float y);

// One-quad records built with the helpers above.
MeshRecord wallRecord(float x0, float z0, float x1, float z1, float y0, float y1, RecordOptions options = {});
MeshRecord floorRecord(float x0, float z0, float x1, float z1, float y, RecordOptions options = {});

// A marker record of `roomNumber` (a strip of four vertices) whose probe
// points, vertices 0 and 2, are v0 and v2.
MeshRecord markerRecord(int roomNumber, Vec3 v0, Vec3 v2);

// Sets boundsMin / boundsMax over all vertices (leaves them alone when there
// are none).
void fitBounds(MeshRecord& record);

}  // namespace cog
