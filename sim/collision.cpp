#include "sim/collision.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/vec.h"
#include "level/level_data.h"

namespace cog {

namespace {

inline Vec3 positionOf(const MeshVertex& v) { return Vec3(v.x, v.y, v.z); }

inline Vec3 minus(const Vec3& a, const Vec3& b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); }

inline bool isZero(const Vec3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

// The triangle walk shared by segmentHits and coversPoint. The segment test
// gives up on the whole record at the first triangle parallel to the
// segment (and counts an exact corner as a hit); the column test does
// neither, and lets IEEE arithmetic skip those triangles instead.
template <bool kSegment>
bool walkTriangles(const MeshRecord& record, const Vec3& a, const Vec3& b) {
  const Vec3 d = minus(b, a);
  const size_t count = walkableTriangles(record);
  const bool list = record.primitiveType == 1;
  const MeshVertex* v = record.vertices.data();
  for (size_t k = 0; k < count; ++k) {
    const size_t first = list ? 3 * k : k;
    const Vec3 v0 = positionOf(v[first]);
    const Vec3 v1 = positionOf(v[first + 1]);
    const Vec3 v2 = positionOf(v[first + 2]);

    const Vec3 w = minus(v0, a);
    Vec3 n;
    vec3Cross(minus(v1, v0), minus(v1, v2), n.x, n.y, n.z);
    const float den = vec3Dot(n, d);
    if (kSegment && den == 0.0f) return false;
    const float num = vec3Dot(n, w);
    const float t = num / den;
    // Written so that a NaN t (0/0) is skipped as well as one out of range.
    if (!(t >= 0.0f && t <= 1.0f)) continue;

    const Vec3 x(static_cast<float>(static_cast<double>(d.x) * t + a.x),
                 static_cast<float>(static_cast<double>(d.y) * t + a.y),
                 static_cast<float>(static_cast<double>(d.z) * t + a.z));
    Vec3 u0 = minus(v0, x);
    Vec3 u1 = minus(v1, x);
    Vec3 u2 = minus(v2, x);
    if (kSegment && (isZero(u0) || isZero(u1) || isZero(u2))) return true;
    // A zero vector normalises to NaN, which makes the sum NaN: no hit.
    vec3Normalize(u0);
    vec3Normalize(u1);
    vec3Normalize(u2);
    double s = std::acos(static_cast<double>(vec3Dot(u0, u1)));
    s += std::acos(static_cast<double>(vec3Dot(u1, u2)));
    s += std::acos(static_cast<double>(vec3Dot(u2, u0)));
    if (s > kInsideAngleSum) return true;
  }
  return false;
}

// Does the segment a->b miss the box for certain? Slab test in double; any
// NaN on the way leaves the box in play.
bool segmentMissesBox(const double a[3], const double b[3], const double lo[3], const double hi[3]) {
  double t0 = 0.0, t1 = 1.0;
  for (int i = 0; i < 3; ++i) {
    const double dd = b[i] - a[i];
    if (dd == 0.0) {
      if (a[i] < lo[i] || a[i] > hi[i]) return true;
      continue;
    }
    double ta = (lo[i] - a[i]) / dd;
    double tb = (hi[i] - a[i]) / dd;
    if (ta > tb) std::swap(ta, tb);
    if (ta > t0) t0 = ta;
    if (tb < t1) t1 = tb;
    if (t0 > t1) return true;
  }
  return false;
}

}  // namespace

size_t walkableTriangles(const MeshRecord& record) {
  if (record.primitiveCount <= 0) return 0;
  const size_t wanted = static_cast<size_t>(record.primitiveCount);
  const size_t have = record.vertices.size();
  const size_t whole = record.primitiveType == 1 ? have / 3 : (have >= 3 ? have - 2 : 0);
  return std::min(wanted, whole);
}

bool segmentHits(const MeshRecord& record, const Vec3& a, const Vec3& b) { return walkTriangles<true>(record, a, b); }

bool coversPoint(const MeshRecord& record, const Vec3& p) {
  return walkTriangles<false>(record, Vec3(p.x, kColumnBottom, p.z), Vec3(p.x, kColumnTop, p.z));
}

int locateRoom(const LevelData& level, const Vec3& p) {
  for (const MeshRecord& room : level.rooms) {
    if (!room.hasFloor) continue;
    if (coversPoint(room, p)) return room.roomNumber;
  }
  return -1;
}

bool withinReach(float ax, float az, float bx, float bz) {
  const double dx = std::fabs(static_cast<double>(ax) - static_cast<double>(bx));
  if (!(dx <= kCatchReach)) return false;
  const double dz = std::fabs(static_cast<double>(az) - static_cast<double>(bz));
  if (!(dz <= kCatchReach)) return false;
  return true;
}

SightScene::SightScene(const std::vector<MeshRecord>& rooms) : rooms_(rooms) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < rooms.size(); ++i) {
    const MeshRecord& r = rooms[i];
    if (r.isMarker) continue;
    double lo[3] = {kInf, kInf, kInf};
    double hi[3] = {-kInf, -kInf, -kInf};
    bool finite = true;
    for (const MeshVertex& v : r.vertices) {
      const double p[3] = {v.x, v.y, v.z};
      for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(p[k])) finite = false;
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
      }
    }
    if (r.vertices.empty()) continue;  // walks no triangle: never blocks
    if (!finite) {
      // Cannot bound it: always run the real test.
      for (int k = 0; k < 3; ++k) {
        lo[k] = -kInf;
        hi[k] = kInf;
      }
    } else {
      // A hit means the rounded crossing point X lies on the segment (to
      // float rounding) and the angle sum there is within 0.01 of 2*pi.
      // Such points stay within a few hundredths of the longest edge of the
      // triangle (about L/800 beside an edge in its plane, under L/40 off
      // the plane above a fat triangle): widen by a tenth of the diagonal,
      // plus room for the float rounding of d, t and X.
      double diag2 = 0.0, mag = 0.0;
      for (int k = 0; k < 3; ++k) {
        diag2 += (hi[k] - lo[k]) * (hi[k] - lo[k]);
        mag = std::max({mag, std::fabs(lo[k]), std::fabs(hi[k])});
      }
      const double margin = 0.1 * std::sqrt(diag2) + 1e-5 * mag + 1e-3;
      for (int k = 0; k < 3; ++k) {
        lo[k] -= margin;
        hi[k] += margin;
      }
    }
    blockers_.push_back(static_cast<int>(i));
    minX_.push_back(lo[0]);
    minY_.push_back(lo[1]);
    minZ_.push_back(lo[2]);
    maxX_.push_back(hi[0]);
    maxY_.push_back(hi[1]);
    maxZ_.push_back(hi[2]);
  }
}

bool SightScene::blocked(const Vec3& a, const Vec3& b) const {
  const double pa[3] = {a.x, a.y, a.z};
  const double pb[3] = {b.x, b.y, b.z};
  // The float rounding of d = b - a bends the tested line by up to an ulp
  // of |d|: widen every box by a little of the segment's own size too.
  const double segMag = std::max({std::fabs(pa[0]), std::fabs(pa[1]), std::fabs(pa[2]), std::fabs(pb[0]),
                                  std::fabs(pb[1]), std::fabs(pb[2])});
  const double slack = std::isfinite(segMag) ? 1e-5 * segMag : std::numeric_limits<double>::infinity();
  const double sMinX = std::min(pa[0], pb[0]) - slack, sMaxX = std::max(pa[0], pb[0]) + slack;
  const double sMinY = std::min(pa[1], pb[1]) - slack, sMaxY = std::max(pa[1], pb[1]) + slack;
  const double sMinZ = std::min(pa[2], pb[2]) - slack, sMaxZ = std::max(pa[2], pb[2]) + slack;
  const size_t n = blockers_.size();
  for (size_t i = 0; i < n; ++i) {
    // Quick reject on the segment's own box (false for NaN: tested).
    if (maxX_[i] < sMinX || minX_[i] > sMaxX || maxZ_[i] < sMinZ || minZ_[i] > sMaxZ || maxY_[i] < sMinY ||
        minY_[i] > sMaxY)
      continue;
    const double lo[3] = {minX_[i] - slack, minY_[i] - slack, minZ_[i] - slack};
    const double hi[3] = {maxX_[i] + slack, maxY_[i] + slack, maxZ_[i] + slack};
    if (segmentMissesBox(pa, pb, lo, hi)) continue;
    if (segmentHits(rooms_[blockers_[i]], a, b)) return true;
  }
  return false;
}

bool SightScene::canSee(int l, int m) const {
  const MeshRecord& first = rooms_[l];
  const MeshRecord& second = rooms_[m];
  if (first.vertices.size() < 3 || second.vertices.size() < 3) return false;
  const Vec3 a0 = positionOf(first.vertices[0]);
  const Vec3 a2 = positionOf(first.vertices[2]);
  const Vec3 b0 = positionOf(second.vertices[0]);
  const Vec3 b2 = positionOf(second.vertices[2]);
  if (!blocked(a0, b0)) return true;
  if (!blocked(a2, b0)) return true;
  if (!blocked(a0, b2)) return true;
  if (!blocked(a2, b2)) return true;
  return false;
}

bool canSee(const LevelData& level, int l, int m) {
  const int count = level.roomCount();
  if (l < 0 || m < 0 || l >= count || m >= count) return false;
  return SightScene(level.rooms).canSee(l, m);
}

void buildRoomGraph(LevelData& level) {
  RoomGraph& graph = level.roomGraph;
  graph.setDiagonal();
  const std::vector<MeshRecord>& rooms = level.rooms;
  std::vector<int> markers;
  for (size_t i = 0; i < rooms.size(); ++i)
    if (rooms[i].isMarker) markers.push_back(static_cast<int>(i));
  if (markers.size() < 2) return;
  const SightScene scene(rooms);
  auto inGraph = [&](int32_t room) { return room >= 0 && room < graph.size; };
  for (int l : markers) {
    for (int m : markers) {
      if (l == m) continue;
      const int32_t row = rooms[l].roomNumber;
      const int32_t column = rooms[m].roomNumber;
      if (!inGraph(row) || !inGraph(column)) continue;
      if (scene.canSee(l, m)) graph.set(row, column);
    }
  }
}

}  // namespace cog
