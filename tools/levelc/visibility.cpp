#include "tools/levelc/visibility.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/levelc/geometry.h"

namespace cog {

namespace {

constexpr float kFloorY = -90.0f;

struct Opening {
  std::vector<V3> points;  // sample points in the doorway's plane
  V3 across;               // unit normal of the wall it is cut in
};

Opening sampleDoor(const LevelSource& src, const DoorSource& d) {
  const RoomSource* a = nullptr;
  const RoomSource* b = nullptr;
  for (const RoomSource& r : src.rooms) {
    if (r.name == d.roomA) a = &r;
    if (r.name == d.roomB) b = &r;
  }
  Opening o;
  const bool alongZ = a->x1 == b->x0 || b->x1 == a->x0;  // the shared wall is at fixed x
  const float wall = alongZ ? (a->x1 == b->x0 ? a->x1 : a->x0) : (a->z1 == b->z0 ? a->z1 : a->z0);
  o.across = alongZ ? V3{1, 0, 0} : V3{0, 0, 1};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) {
      const float s = d.from + 6 + (d.to - d.from - 12) * i / 4.0f;
      const float y = kFloorY + 6 + (d.top - kFloorY - 12) * j / 3.0f;
      o.points.push_back(alongZ ? V3{wall, y, s} : V3{s, y, wall});
    }
  return o;
}

int roomOfPoint(const LevelSource& src, V3 p) {
  const int r = roomAt(src, p.x, p.z);
  if (r < 0 || p.y <= kFloorY || p.y >= src.rooms[static_cast<size_t>(r)].ceiling) return -1;
  return r;
}

// Clear with room to spare: the line and four lines shifted a little around it.
bool clearWithMargin(const Occluders& walls, V3 a, V3 b) {
  if (walls.blocked(a, b)) return false;
  const V3 shifts[4] = {{0, 3, 0}, {0, -3, 0}, {3, 0, 3}, {-3, 0, -3}};
  for (const V3& s : shifts)
    if (walls.blocked(a + s, b + s)) return false;
  return true;
}

Record marker(V3 p, int room) {
  Record r;
  const V3 n{1, 0, 0};
  r.vertices = {Vertex{p, n, 0, 0}, Vertex{p + V3{0, 1, 0}, n, 0, 0}, Vertex{p, n, 0, 0}, Vertex{p + V3{0, 1, 0}, n, 0, 0}};
  r.room = room;
  r.marker = true;
  return r;
}

}  // namespace

int addRoomMarkers(const LevelSource& src, const Occluders& walls, CompiledLevel& level) {
  std::vector<Opening> doors;
  for (const DoorSource& d : src.doors) doors.push_back(sampleDoor(src, d));

  // For each pair of rooms (lower number first), the first clear pair of points found.
  std::map<std::pair<int, int>, std::pair<V3, V3>> seen;
  auto consider = [&](V3 p, V3 q) {
    const V3 dir = (q - p) * (1.0f / length(q - p));
    const V3 a = p - dir * 15, b = q + dir * 15;
    const int ra = roomOfPoint(src, a), rb = roomOfPoint(src, b);
    if (ra < 0 || rb < 0 || ra == rb) return;
    const auto key = std::minmax(ra, rb);
    if (seen.count(key) || !clearWithMargin(walls, a, b)) return;
    seen[key] = ra < rb ? std::make_pair(a, b) : std::make_pair(b, a);
  };
  // Through one doorway: straight across its middle.
  for (const Opening& o : doors) {
    const V3 mid = o.points[o.points.size() / 2];
    consider(mid - o.across * 20, mid + o.across * 20);
  }
  // Through two or more doorways: lines through sample points of two of them,
  // crossing both walls (a line along a wall's plane passes through nothing).
  for (size_t i = 0; i < doors.size(); ++i)
    for (size_t j = i + 1; j < doors.size(); ++j)
      for (const V3& p : doors[i].points)
        for (const V3& q : doors[j].points) {
          const V3 dir = (q - p) * (1.0f / length(q - p));
          if (std::fabs(dot(dir, doors[i].across)) > 0.05f && std::fabs(dot(dir, doors[j].across)) > 0.05f) consider(p, q);
        }

  for (const auto& [rooms, points] : seen) {
    level.rooms.push_back(marker(points.first, rooms.first));
    level.rooms.push_back(marker(points.second, rooms.second));
  }
  // Every room keeps one marker, so the graph has a row that means something for each.
  for (size_t r = 0; r < src.rooms.size(); ++r) {
    const RoomSource& room = src.rooms[r];
    level.rooms.push_back(marker({(room.x0 + room.x1) / 2, 0, (room.z0 + room.z1) / 2}, static_cast<int>(r)));
  }
  return static_cast<int>(seen.size());
}

}  // namespace cog
