#pragma once
// Collision and sight tests: segment against a mesh record's triangles
// (segmentHits and its vertical-column sibling coversPoint), the room
// locator, the marker-to-marker sight test that builds the room graph, and
// the per-axis reach test.

#include <vector>

#include "base/vec3.h"
#include "level/level_data.h"
#include "level/mesh_record.h"

namespace cog {

// A point counts as inside a triangle when the three angles it subtends sum
// to more than this: float 2*pi (6.2831855) minus float 0.01, in double.
constexpr double kInsideAngleSum = 6.273185482248664;
// y range of the vertical line used by coversPoint.
constexpr float kColumnBottom = -100.0f;
constexpr float kColumnTop = 100.0f;
// Per-axis reach of withinReach (an integer 30 compared as 30.0).
constexpr double kCatchReach = 30.0;

// Does the segment a->b cross one of the record's triangles? Gives up on the
// whole record (false) at the first triangle parallel to the segment, and
// counts a crossing exactly at a corner as a hit.
bool segmentHits(const MeshRecord& record, const Vec3& a, const Vec3& b);
// Does the vertical line through p, from y kColumnBottom to kColumnTop,
// cross one of the record's triangles? Parallel triangles are skipped.
bool coversPoint(const MeshRecord& record, const Vec3& p);

// Number of whole triangles the tests walk in `record`: primitiveCount,
// but never more than `vertices` holds (a record whose count asks for more
// stops at its last whole triangle; a negative count walks none).
size_t walkableTriangles(const MeshRecord& record);

// The roomNumber of the first record of level.rooms with hasFloor set whose
// floor lies under or over p (coversPoint), or -1. Props never count.
int locateRoom(const LevelData& level, const Vec3& p);

// Are the marker records level.rooms[l] and level.rooms[m] in sight of each
// other: is one of the segments A0->B0, A2->B0, A0->B2, A2->B2 (vertices 0
// and 2 of each marker) clear of every non-marker room record? A marker with
// fewer than three vertices has no probe points and sees nothing.
bool canSee(const LevelData& level, int l, int m);

// |ax - bx| <= 30 and |az - bz| <= 30, in double; NaN gives false.
bool withinReach(float ax, float az, float bx, float bz);

// Fills level.roomGraph (already allocated) from level.rooms: the diagonal,
// then every ordered pair of marker records that canSee each other. Pairs
// whose room numbers fall outside the graph are left out.
void buildRoomGraph(LevelData& level);

// Sight testing over one room list, with a bounding-box prefilter that never
// changes an answer: a box is taken over each record's stored vertex
// positions and widened by more than the inside test's tolerance, so a
// record whose box the segment misses cannot report a hit. Holds a reference
// to `rooms`, which must outlive it and stay unchanged.
class SightScene {
 public:
  explicit SightScene(const std::vector<MeshRecord>& rooms);

  // True when segmentHits(a, b) is true for some non-marker record.
  bool blocked(const Vec3& a, const Vec3& b) const;
  // canSee over this scene's rooms.
  bool canSee(int l, int m) const;

 private:
  const std::vector<MeshRecord>& rooms_;
  // Non-marker records, in list order, with their widened boxes (double,
  // structure of arrays).
  std::vector<int> blockers_;
  std::vector<double> minX_, minY_, minZ_, maxX_, maxY_, maxZ_;
};

}  // namespace cog
