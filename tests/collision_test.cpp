#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "level/level_data.h"
#include "sim/collision.h"
#include "support/mesh_builders.h"
#include "support/test_game.h"

namespace cog {

namespace {

// Upright wall in the plane z = `z`, x in [x0, x1], y in [y0, y1].
MeshRecord wallAcrossZ(float z, float x0 = -10, float x1 = 10, float y0 = -100, float y1 = 0) {
  return wallRecord(x0, z, x1, z, y0, y1);
}

// ---------------------------------------------------------------- segment

TEST(SegmentHits, CrossingAWallHitsAndMissingItDoesNot) {
  const MeshRecord wall = wallAcrossZ(10);
  EXPECT_TRUE(segmentHits(wall, {0, -50, 0}, {0, -50, 20}));
  EXPECT_TRUE(segmentHits(wall, {0, -50, 20}, {0, -50, 0}));  // either direction
  EXPECT_FALSE(segmentHits(wall, {30, -50, 0}, {30, -50, 20}));  // beside it
  EXPECT_FALSE(segmentHits(wall, {0, 50, 0}, {0, 50, 20}));      // above it
  EXPECT_FALSE(segmentHits(wall, {0, -50, 0}, {0, -50, 9}));     // short of it
}

TEST(SegmentHits, ParallelTriangleEndsTheWholeTest) {
  // First triangle level (parallel to a level segment), then a wall that the
  // segment crosses: the level triangle ends the test with no hit.
  std::vector<Vec3> corners = {{-50, -90, -50}, {-50, -90, 50}, {50, -90, -50}};
  appendWall(corners, -10, 10, 10, 10, -100, 0);
  const MeshRecord floorFirst = listRecord(corners);
  EXPECT_FALSE(segmentHits(floorFirst, {0, -80, 0}, {0, -80, 20}));

  // The same wall first and the level triangle after it: hit.
  std::vector<Vec3> wallFirst;
  appendWall(wallFirst, -10, 10, 10, 10, -100, 0);
  wallFirst.insert(wallFirst.end(), {{-50, -90, -50}, {-50, -90, 50}, {50, -90, -50}});
  EXPECT_TRUE(segmentHits(listRecord(wallFirst), {0, -80, 0}, {0, -80, 20}));

  // A sloping segment is not parallel to the level triangle and goes on.
  EXPECT_TRUE(segmentHits(floorFirst, {0, -80, 0}, {0, -79, 20}));
}

TEST(SegmentHits, ZeroLengthSegmentNeverHits) {
  const MeshRecord wall = wallAcrossZ(10);
  EXPECT_FALSE(segmentHits(wall, {0, -50, 10}, {0, -50, 10}));  // a point on the wall
  EXPECT_FALSE(segmentHits(wall, {0, -50, 5}, {0, -50, 5}));
}

TEST(SegmentHits, EndsOnThePlaneCount) {
  const MeshRecord wall = wallAcrossZ(10);
  EXPECT_TRUE(segmentHits(wall, {0, -50, 0}, {0, -50, 10}));   // t = 1
  EXPECT_TRUE(segmentHits(wall, {0, -50, 10}, {0, -50, 20}));  // t = 0
  EXPECT_FALSE(segmentHits(wall, {0, -50, 0}, {0, -50, 9.99f}));
  EXPECT_FALSE(segmentHits(wall, {0, -50, 10.01f}, {0, -50, 20}));
}

TEST(SegmentHits, ExactCornerIsAHit) {
  // The crossing point falls exactly on a corner, where the angle sum would
  // be NaN: the corner rule counts it.
  const MeshRecord tri = listRecord({{0, 0, 10}, {0, 10, 10}, {10, 0, 10}});
  EXPECT_TRUE(segmentHits(tri, {0, 0, 0}, {0, 0, 20}));    // V0
  EXPECT_TRUE(segmentHits(tri, {0, 10, 0}, {0, 10, 20}));  // V1
  EXPECT_TRUE(segmentHits(tri, {10, 0, 0}, {10, 0, 20}));  // V2
  EXPECT_FALSE(segmentHits(tri, {-0.5f, 0, 0}, {-0.5f, 0, 20}));
}

TEST(SegmentHits, EdgesCountAndTheMarginAdmitsJustOutside) {
  const MeshRecord tri = listRecord({{0, 0, 10}, {0, 100, 10}, {100, 0, 10}});
  // On the edge from (0, 0) to (0, 100): inside.
  EXPECT_TRUE(segmentHits(tri, {0, 50, 0}, {0, 50, 20}));
  // Just outside the middle of that edge (length 100, margin about 1/8).
  EXPECT_TRUE(segmentHits(tri, {-0.05f, 50, 0}, {-0.05f, 50, 20}));
  EXPECT_FALSE(segmentHits(tri, {-0.5f, 50, 0}, {-0.5f, 50, 20}));
}

TEST(SegmentHits, ListOfTwelveHitOnTheLast) {
  // Eleven walls crossed in their planes beside the segment, then one in its
  // way: the walk must reach triangle 11.
  std::vector<Vec3> corners;
  for (int i = 0; i < 11; ++i) {
    const float z = 10.0f + 10.0f * i;
    corners.insert(corners.end(), {{100, -100, z}, {100, 0, z}, {120, -100, z}});
  }
  corners.insert(corners.end(), {{-10, -100, 150}, {-10, 0, 150}, {10, -100, 150}});
  MeshRecord record = listRecord(corners);
  ASSERT_EQ(record.primitiveCount, 12);
  EXPECT_TRUE(segmentHits(record, {0, -80, 0}, {0, -80, 200}));
  record.primitiveCount = 11;  // the last triangle is no longer walked
  EXPECT_FALSE(segmentHits(record, {0, -80, 0}, {0, -80, 200}));
}

TEST(SegmentHits, StripWalksOverlappingTriples) {
  // A strip of two triangles over x in [-10, 10]: (v0 v1 v2) covers x < 0
  // roughly, (v1 v2 v3) the rest; both halves hit.
  const MeshRecord strip = stripRecord({{-10, -100, 10}, {-10, 0, 10}, {10, -100, 10}, {10, 0, 10}});
  ASSERT_EQ(strip.primitiveCount, 2);
  EXPECT_TRUE(segmentHits(strip, {-8, -20, 0}, {-8, -20, 20}));
  EXPECT_TRUE(segmentHits(strip, {8, -20, 0}, {8, -20, 20}));
  // As a list the same four vertices hold only one triangle.
  MeshRecord asList = stripRecord({{-10, -100, 10}, {-10, 0, 10}, {10, -100, 10}, {10, 0, 10}});
  asList.primitiveType = 1;
  EXPECT_FALSE(segmentHits(asList, {8, -20, 0}, {8, -20, 20}));
}

TEST(SegmentHits, CountBeyondTheVerticesStopsAtTheLastWholeTriangle) {
  MeshRecord list = wallAcrossZ(10);  // two triangles, six vertices
  list.primitiveCount = 1000;
  EXPECT_EQ(walkableTriangles(list), 2u);
  EXPECT_TRUE(segmentHits(list, {0, -50, 0}, {0, -50, 20}));
  list.vertices.resize(5);  // the second triangle is no longer whole
  EXPECT_EQ(walkableTriangles(list), 1u);
  list.primitiveCount = -3;
  EXPECT_EQ(walkableTriangles(list), 0u);
  EXPECT_FALSE(segmentHits(list, {0, -50, 0}, {0, -50, 20}));

  MeshRecord strip = stripRecord({{-10, -100, 10}, {-10, 0, 10}, {10, -100, 10}});
  strip.primitiveCount = 50;
  EXPECT_EQ(walkableTriangles(strip), 1u);
  strip.vertices.resize(2);
  EXPECT_EQ(walkableTriangles(strip), 0u);
  EXPECT_FALSE(segmentHits(strip, {0, -50, 0}, {0, -50, 20}));

  MeshRecord empty;
  empty.primitiveCount = 4;
  EXPECT_FALSE(segmentHits(empty, {0, -50, 0}, {0, -50, 20}));
  EXPECT_FALSE(coversPoint(empty, {0, 0, 0}));
}

TEST(SegmentHits, NaNNeverHits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const MeshRecord wall = wallAcrossZ(10);
  EXPECT_FALSE(segmentHits(wall, {nan, -50, 0}, {0, -50, 20}));
  const MeshRecord broken = listRecord({{nan, -100, 10}, {-10, 0, 10}, {10, -100, 10}});
  EXPECT_FALSE(segmentHits(broken, {0, -50, 0}, {0, -50, 20}));
}

// ---------------------------------------------------------------- column

TEST(CoversPoint, FloorUnderThePointCounts) {
  const MeshRecord floor = floorRecord(-100, -100, 100, 100, -90);
  EXPECT_TRUE(coversPoint(floor, {0, 0, 0}));
  EXPECT_TRUE(coversPoint(floor, {50, 12345, -50}));  // p.y is ignored
  EXPECT_FALSE(coversPoint(floor, {150, 0, 0}));
  // Out of the band -100..100.
  EXPECT_FALSE(coversPoint(floorRecord(-100, -100, 100, 100, 150), {0, 0, 0}));
  EXPECT_TRUE(coversPoint(floorRecord(-100, -100, 100, 100, 100), {0, 0, 0}));  // t = 1
}

TEST(CoversPoint, PointAboveACornerIsNotCovered) {
  const MeshRecord tri = listRecord({{0, -90, 0}, {0, -90, 100}, {100, -90, 0}}, {.floor = true});
  EXPECT_FALSE(coversPoint(tri, {0, 0, 0}));
  EXPECT_FALSE(coversPoint(tri, {100, 0, 0}));
  EXPECT_TRUE(coversPoint(tri, {10, 0, 10}));
}

TEST(CoversPoint, WallsAreSkippedNotFatal) {
  // A wall first (parallel to the column) does not end the walk: the floor
  // after it still counts.
  std::vector<Vec3> corners;
  appendWall(corners, -100, 0, 100, 0, -100, 100);
  appendFloor(corners, -100, -100, 100, 100, -90);
  EXPECT_TRUE(coversPoint(listRecord(corners, {.floor = true}), {5, 0, 5}));
  // The segment test on the same record ends at the wall for a vertical
  // segment.
  EXPECT_FALSE(segmentHits(listRecord(corners), {5, -100, 5}, {5, 100, 5}));
}

// ---------------------------------------------------------------- locate

class LevelTest : public GameTest {};

using LocateRoom = LevelTest;

TEST_F(LocateRoom, FirstFloorListedWinsAndNothingGivesMinusOne) {
  // A record without hasFloor is never searched even if its triangles lie
  // under the point.
  level.rooms.push_back(floorRecord(-500, -500, 500, 500, -90, {.roomNumber = 9}));
  level.rooms.back().hasFloor = 0;
  level.rooms.push_back(floorRecord(-100, -100, 100, 100, -90, {.roomNumber = 3}));
  level.rooms.push_back(floorRecord(0, 0, 200, 200, -90, {.roomNumber = 5}));
  level.props.push_back(floorRecord(400, 400, 600, 600, -90, {.roomNumber = 7}));

  EXPECT_EQ(locateRoom(level, {50, 0, 50}), 3);    // in both: the first listed
  EXPECT_EQ(locateRoom(level, {150, 0, 150}), 5);
  EXPECT_EQ(locateRoom(level, {-300, 0, -300}), -1);
  EXPECT_EQ(locateRoom(level, {500, 0, 500}), -1);  // props are never searched
}

TEST_F(LocateRoom, MarkerFlagPlaysNoPart) {
  level.rooms.push_back(floorRecord(-100, -100, 100, 100, -90, {.roomNumber = 4, .marker = true}));
  EXPECT_EQ(locateRoom(level, {0, 0, 0}), 4);
}

// ---------------------------------------------------------------- reach

TEST(WithinReach, PerAxisAndInclusive) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float ax, az, bx, bz;
    bool expected;
  } cases[] = {
      {0, 0, 30, -30, true},   {0, 0, 30.01f, 0, false}, {0, 0, 0, 30.01f, false},
      {0, 0, -30, 30, true},   {0, 0, 29, 31, false},    {1000, 50, 970, 80, true},
      {nan, 0, 0, 0, false},   {0, 0, 0, nan, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ax << " " << c.az << " " << c.bx << " " << c.bz);
    EXPECT_EQ(withinReach(c.ax, c.az, c.bx, c.bz), c.expected);
  }
}

// ---------------------------------------------------------------- sight

using RoomGraphBuild = LevelTest;

// Rooms 0 (z < 0) and 1 (z > 0), one marker each, a wall at z = 0 from
// x = -300 to 300. A0->B0 crosses it at x = 0, A2->B0 at x = 100.
void twoRoomsWithWall(LevelData& level, bool doorway) {
  level.rooms.push_back(markerRecord(0, {-100, -80, -100}, {100, -80, -100}));
  std::vector<Vec3> wall;
  if (doorway) {
    appendWall(wall, -300, 0, 80, 0, -200, 100);
    appendWall(wall, 120, 0, 300, 0, -200, 100);
    appendWall(wall, 80, 0, 120, 0, 0, 100);  // lintel over the door
  } else {
    appendWall(wall, -300, 0, 300, 0, -200, 100);
  }
  level.rooms.push_back(listRecord(wall, {.roomNumber = 0}));
  level.rooms.push_back(markerRecord(1, {100, -80, 100}, {-100, -80, 100}));
  level.roomGraph.allocate(2);
}

TEST_F(RoomGraphBuild, WallWithoutOpeningLeavesOnlyTheDiagonal) {
  twoRoomsWithWall(level, false);
  EXPECT_FALSE(canSee(level, 0, 2));
  EXPECT_FALSE(canSee(level, 2, 0));
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.cells, (std::vector<uint8_t>{1, 0, 0, 1}));
}

TEST_F(RoomGraphBuild, DoorwayConnectsBothWays) {
  twoRoomsWithWall(level, true);
  // The first segment A0->B0 is blocked; the second, A2->B0, passes.
  const SightScene scene(level.rooms);
  EXPECT_TRUE(scene.blocked({-100, -80, -100}, {100, -80, 100}));
  EXPECT_FALSE(scene.blocked({100, -80, -100}, {100, -80, 100}));
  EXPECT_TRUE(canSee(level, 0, 2));
  EXPECT_TRUE(canSee(level, 2, 0));
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.cells, (std::vector<uint8_t>{1, 1, 1, 1}));
}

TEST_F(RoomGraphBuild, MarkersAndPropsDoNotBlock) {
  level.rooms.push_back(markerRecord(0, {-100, -80, -100}, {100, -80, -100}));
  level.rooms.push_back(markerRecord(1, {100, -80, 100}, {-100, -80, 100}));
  // A marker record across the way, and a prop wall: neither blocks sight.
  level.rooms.push_back(wallRecord(-300, 0, 300, 0, -200, 100, {.roomNumber = 2, .marker = true}));
  level.props.push_back(wallRecord(-300, 0, 300, 0, -200, 100));
  level.roomGraph.allocate(3);
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.get(0, 1), 1);
  EXPECT_EQ(level.roomGraph.get(1, 0), 1);
  // The wall marker sees both (its vertices 0 and 2 are room corners).
  EXPECT_EQ(level.roomGraph.get(2, 0), 1);
}

TEST_F(RoomGraphBuild, LevelFaceFirstInAWallRecordLetsLevelSightThrough) {
  // The wall record starts with a level triangle: horizontal marker
  // segments end the test on it, so the wall behind it never blocks.
  level.rooms.push_back(markerRecord(0, {-100, -80, -100}, {100, -80, -100}));
  std::vector<Vec3> corners = {{-300, -90, -10}, {-300, -90, 10}, {300, -90, -10}};
  appendWall(corners, -300, 0, 300, 0, -200, 100);
  level.rooms.push_back(listRecord(corners));
  level.rooms.push_back(markerRecord(1, {100, -80, 100}, {-100, -80, 100}));
  level.roomGraph.allocate(2);
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.cells, (std::vector<uint8_t>{1, 1, 1, 1}));
}

TEST_F(RoomGraphBuild, BrokenMarkersAndRoomNumbersAreHarmless) {
  // A marker with two vertices has no vertex 2: it sees nothing. Room
  // numbers outside the graph are left out, not written.
  level.rooms.push_back(markerRecord(0, {0, -80, 0}, {10, -80, 0}));
  level.rooms.back().vertices.resize(2);
  level.rooms.push_back(markerRecord(1, {0, -80, 100}, {10, -80, 100}));
  level.rooms.push_back(markerRecord(7, {0, -80, 200}, {10, -80, 200}));
  level.rooms.push_back(markerRecord(-2, {0, -80, 300}, {10, -80, 300}));
  level.roomGraph.allocate(2);
  EXPECT_FALSE(canSee(level, 0, 1));
  EXPECT_FALSE(canSee(level, 1, 0));
  EXPECT_TRUE(canSee(level, 1, 2));
  EXPECT_FALSE(canSee(level, 1, 99));
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.cells, (std::vector<uint8_t>{1, 0, 0, 1}));
}

TEST_F(RoomGraphBuild, SameRoomMarkersAndCoincidentProbePoints) {
  level.rooms.push_back(markerRecord(0, {0, -80, 0}, {0, -80, 0}));  // v0 == v2
  level.rooms.push_back(markerRecord(0, {50, -80, 0}, {60, -80, 0}));
  level.roomGraph.allocate(1);
  EXPECT_TRUE(canSee(level, 0, 1));
  buildRoomGraph(level);
  EXPECT_EQ(level.roomGraph.cells, (std::vector<uint8_t>{1}));
}

TEST(SightScene, HitJustOutsideAnEdgeIsNotFilteredOut) {
  // The inside test admits points up to about L/800 beyond an edge: a
  // segment passing 0.05 beside the vertical edge x = 10 of a wall 100 high
  // hits although it misses the wall's bounding box.
  std::vector<MeshRecord> rooms;
  rooms.push_back(wallRecord(-10, 10, 10, 10, -100, 0));
  const Vec3 a(10.05f, -50, 0), b(10.05f, -50, 20);
  ASSERT_TRUE(segmentHits(rooms[0], a, b));
  EXPECT_TRUE(SightScene(rooms).blocked(a, b));
  EXPECT_FALSE(SightScene(rooms).blocked({10.5f, -50, 0}, {10.5f, -50, 20}));
}

// The prefilter of SightScene must never change an answer. Compare it with
// the plain scan on random geometry, aiming many segments to end just beside
// triangle edges and corners, where the inside test's tolerance reaches
// outside a triangle.
TEST(SightScene, PrefilterAgreesWithThePlainScan) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<float> coord(-400.0f, 400.0f);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::normal_distribution<float> jitter(0.0f, 1.0f);
  std::vector<MeshRecord> rooms;
  for (int r = 0; r < 60; ++r) {
    std::vector<Vec3> corners;
    const Vec3 base(coord(rng), coord(rng) * 0.3f, coord(rng));
    if (r % 3 == 0) {
      // Upright walls and level floors, whose edges lie on their boxes.
      const float w = 20.0f + 100.0f * unit(rng), h = 20.0f + 100.0f * unit(rng);
      if (r % 2 == 0)
        appendWall(corners, base.x, base.z, base.x + (r % 4 == 0 ? w : 0.0f), base.z + (r % 4 == 0 ? 0.0f : w),
                   base.y, base.y + h);
      else
        appendFloor(corners, base.x, base.z, base.x + w, base.z + h, base.y);
    } else {
      const int triangles = 1 + r % 4;
      for (int t = 0; t < triangles * 3; ++t)
        corners.emplace_back(base.x + coord(rng) * 0.2f, base.y + coord(rng) * 0.2f, base.z + coord(rng) * 0.2f);
    }
    rooms.push_back(listRecord(corners, {.marker = r % 10 == 9}));
  }
  const SightScene scene(rooms);
  int hits = 0, nearMisses = 0;
  for (int i = 0; i < 20000; ++i) {
    Vec3 a(coord(rng), coord(rng) * 0.3f, coord(rng));
    Vec3 b;
    if (i % 2 == 0) {
      b = Vec3(coord(rng), coord(rng) * 0.3f, coord(rng));
    } else {
      // Aim at a point on an edge of some triangle, then push it a little
      // away from the edge and run the segment past it.
      const MeshRecord& r = rooms[rng() % rooms.size()];
      const size_t k = rng() % (r.vertices.size() / 3);
      const MeshVertex& p = r.vertices[3 * k + rng() % 3];
      const MeshVertex& q = r.vertices[3 * k + rng() % 3];
      const float s = unit(rng);
      const float spread = i % 4 == 1 ? 0.05f : 3.0f;
      const Vec3 target(p.x + s * (q.x - p.x) + spread * jitter(rng), p.y + s * (q.y - p.y) + spread * jitter(rng),
                        p.z + s * (q.z - p.z) + spread * jitter(rng));
      const float extend = i % 8 == 1 ? 1.0f : 1.0f + unit(rng);
      b = Vec3(a.x + extend * (target.x - a.x), a.y + extend * (target.y - a.y), a.z + extend * (target.z - a.z));
    }
    bool plain = false;
    for (const MeshRecord& r : rooms)
      if (!r.isMarker && segmentHits(r, a, b)) {
        plain = true;
        break;
      }
    hits += plain;
    nearMisses += !plain && i % 2 == 1;
    ASSERT_EQ(scene.blocked(a, b), plain) << "segment " << i;
  }
  // The sample must contain both answers in numbers.
  EXPECT_GT(hits, 1000);
  EXPECT_GT(nearMisses, 1000);
}

}  // namespace

}  // namespace cog
