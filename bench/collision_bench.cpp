// Collision costs: the segment test per triangle, and building the room
// graph of a large generated level with and without the sight prefilter.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "level/level_data.h"
#include "sim/collision.h"

namespace cog {

namespace {

// The generated level the room-graph benchmarks build and read.
LevelData level;

MeshRecord makeList(const std::vector<Vec3>& corners, int room, bool marker = false, bool floor = false) {
  MeshRecord r;
  r.primitiveType = 1;
  r.primitiveCount = static_cast<int32_t>(corners.size() / 3);
  r.vertexCount = static_cast<int32_t>(corners.size());
  r.roomNumber = room;
  r.isMarker = marker;
  r.hasFloor = floor;
  for (const Vec3& p : corners) {
    MeshVertex v;
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    v.ny = floor ? 1.0f : 0.0f;
    r.vertices.push_back(v);
  }
  r.boundsMin = r.boundsMax = corners.front();
  for (const Vec3& p : corners) {
    r.boundsMin = Vec3(std::fmin(r.boundsMin.x, p.x), std::fmin(r.boundsMin.y, p.y), std::fmin(r.boundsMin.z, p.z));
    r.boundsMax = Vec3(std::fmax(r.boundsMax.x, p.x), std::fmax(r.boundsMax.y, p.y), std::fmax(r.boundsMax.z, p.z));
  }
  return r;
}

void quad(std::vector<Vec3>& c, Vec3 q0, Vec3 q1, Vec3 q2, Vec3 q3) { c.insert(c.end(), {q0, q1, q2, q2, q1, q3}); }

void wall(std::vector<Vec3>& c, float x0, float z0, float x1, float z1, float y0, float y1) {
  quad(c, Vec3(x0, y0, z0), Vec3(x0, y1, z0), Vec3(x1, y0, z1), Vec3(x1, y1, z1));
}

// ------------------------------------------------------------ per triangle

// Walls beside the segment, each crossed in its plane: every triangle runs
// the whole test (cross, dots, three normalisations and three arc-cosines)
// and misses.
void BM_SegmentHitsPerTriangle(benchmark::State& state) {
  const int walls = static_cast<int>(state.range(0));
  std::vector<Vec3> corners;
  for (int i = 0; i < walls; ++i) {
    const float z = 1.0f + 998.0f * static_cast<float>(i) / static_cast<float>(walls);
    wall(corners, 100, z, 140, z, -100, 0);
  }
  const MeshRecord record = makeList(corners, 0);
  const Vec3 a(0, -80, 0), b(0, -80, 1000);
  if (segmentHits(record, a, b)) state.SkipWithError("the segment was meant to miss");
  for (auto _ : state) benchmark::DoNotOptimize(segmentHits(record, a, b));
  state.counters["per_triangle"] =
      benchmark::Counter(static_cast<double>(record.primitiveCount),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SegmentHitsPerTriangle)->Arg(1000);

// For comparison: triangles whose plane the segment does not reach stop
// after the plane test.
void BM_SegmentHitsPerTriangleOutOfReach(benchmark::State& state) {
  const int walls = static_cast<int>(state.range(0));
  std::vector<Vec3> corners;
  for (int i = 0; i < walls; ++i) wall(corners, -10, 2000.0f + i, 10, 2000.0f + i, -100, 0);
  const MeshRecord record = makeList(corners, 0);
  const Vec3 a(0, -80, 0), b(0, -80, 1000);
  for (auto _ : state) benchmark::DoNotOptimize(segmentHits(record, a, b));
  state.counters["per_triangle"] =
      benchmark::Counter(static_cast<double>(record.primitiveCount),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SegmentHitsPerTriangleOutOfReach)->Arg(1000);

// ------------------------------------------------------------ room graph

// A 10 x 10 grid of rooms, 400 units apart, over 4000 x 4000 units. Each
// room has ten records: floor, ceiling, a north and an east wall (a doorway
// in most of them), and six pillars; and two marker records at random places
// inside it. 1,000 room records and 200 markers in all.
constexpr int kGrid = 10;
constexpr float kCell = 400.0f;

void generateLevel() {
  level.clear();
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> inside(40.0f, kCell - 40.0f);
  std::uniform_int_distribution<int> dice(0, 5);
  std::vector<MeshRecord> markers;
  for (int gz = 0; gz < kGrid; ++gz) {
    for (int gx = 0; gx < kGrid; ++gx) {
      const int room = gz * kGrid + gx;
      const float x0 = gx * kCell, z0 = gz * kCell, x1 = x0 + kCell, z1 = z0 + kCell;
      std::vector<Vec3> c;
      quad(c, Vec3(x0, -100, z0), Vec3(x0, -100, z1), Vec3(x1, -100, z0), Vec3(x1, -100, z1));
      level.rooms.push_back(makeList(c, room, false, true));
      c.clear();
      quad(c, Vec3(x0, 100, z0), Vec3(x1, 100, z0), Vec3(x0, 100, z1), Vec3(x1, 100, z1));
      level.rooms.push_back(makeList(c, room));
      // North wall (z = z1) and east wall (x = x1); a doorway 80 wide in
      // five of six.
      for (int side = 0; side < 2; ++side) {
        c.clear();
        const bool door = dice(rng) != 0;
        auto span = [&](float a, float b, float y0, float y1) {
          if (side == 0)
            wall(c, x0 + a, z1, x0 + b, z1, y0, y1);
          else
            wall(c, x1, z0 + a, x1, z0 + b, y0, y1);
        };
        if (door) {
          const float d = inside(rng);
          span(0, d - 40, -100, 100);
          span(d + 40, kCell, -100, 100);
          span(d - 40, d + 40, 40, 100);
        } else {
          span(0, kCell, -100, 100);
        }
        level.rooms.push_back(makeList(c, room));
      }
      for (int p = 0; p < 6; ++p) {
        c.clear();
        const float px = x0 + inside(rng), pz = z0 + inside(rng), h = 8.0f;
        wall(c, px - h, pz - h, px + h, pz - h, -100, 100);
        wall(c, px + h, pz - h, px + h, pz + h, -100, 100);
        wall(c, px + h, pz + h, px - h, pz + h, -100, 100);
        wall(c, px - h, pz + h, px - h, pz - h, -100, 100);
        level.rooms.push_back(makeList(c, room));
      }
      for (int m = 0; m < 2; ++m) {
        c.clear();
        const float mx = x0 + inside(rng), mz = z0 + inside(rng);
        const float y = m == 0 ? 0.0f : 20.0f;
        c = {Vec3(mx - 20, y, mz), Vec3(mx - 20, y + 40, mz), Vec3(mx + 20, y, mz + 5)};
        markers.push_back(makeList(c, room, true));
      }
    }
  }
  // Markers spread through the list, as a level file would have them.
  for (size_t i = 0; i < markers.size(); ++i)
    level.rooms.insert(level.rooms.begin() + static_cast<std::ptrdiff_t>(i * 6), std::move(markers[i]));
  level.roomGraph.allocate(kGrid * kGrid);
}

// The plain definition: every non-marker record for every segment, no
// prefilter.
bool plainBlocked(const Vec3& a, const Vec3& b) {
  for (const MeshRecord& r : level.rooms)
    if (!r.isMarker && segmentHits(r, a, b)) return true;
  return false;
}

bool plainCanSee(int l, int m) {
  const auto& A = level.rooms[l].vertices;
  const auto& B = level.rooms[m].vertices;
  const Vec3 a0(A[0].x, A[0].y, A[0].z), a2(A[2].x, A[2].y, A[2].z);
  const Vec3 b0(B[0].x, B[0].y, B[0].z), b2(B[2].x, B[2].y, B[2].z);
  return !plainBlocked(a0, b0) || !plainBlocked(a2, b0) || !plainBlocked(a0, b2) || !plainBlocked(a2, b2);
}

void plainBuildRoomGraph() {
  level.roomGraph.setDiagonal();
  const int n = level.roomCount();
  for (int l = 0; l < n; ++l) {
    if (!level.rooms[l].isMarker) continue;
    for (int m = 0; m < n; ++m) {
      if (m == l || !level.rooms[m].isMarker) continue;
      if (plainCanSee(l, m)) level.roomGraph.set(level.rooms[l].roomNumber, level.rooms[m].roomNumber);
    }
  }
}

std::vector<uint8_t> plainCells;

void BM_BuildRoomGraphPlain(benchmark::State& state) {
  generateLevel();
  for (auto _ : state) {
    level.roomGraph.allocate(kGrid * kGrid);
    plainBuildRoomGraph();
  }
  plainCells = level.roomGraph.cells;
  int connected = 0;
  for (uint8_t c : plainCells) connected += c;
  state.counters["cells_set"] = connected;
}
BENCHMARK(BM_BuildRoomGraphPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_BuildRoomGraph(benchmark::State& state) {
  generateLevel();
  for (auto _ : state) {
    level.roomGraph.allocate(kGrid * kGrid);
    buildRoomGraph(level);
  }
  int connected = 0;
  for (uint8_t c : level.roomGraph.cells) connected += c;
  state.counters["cells_set"] = connected;
  if (!plainCells.empty() && plainCells != level.roomGraph.cells)
    state.SkipWithError("the prefiltered graph differs from the plain one");
}
BENCHMARK(BM_BuildRoomGraph)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace cog
