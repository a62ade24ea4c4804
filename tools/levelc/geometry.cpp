#include "tools/levelc/geometry.h"

#include <algorithm>
#include <cmath>

namespace cog {

Record makeQuad(V3 o, V3 right, V3 up, float w, float h, float u0, float u1, float vBottom, float vTop) {
  const V3 n = cross(up, right);
  Record r;
  r.vertices = {
      Vertex{o, n, u0, vBottom},
      Vertex{o + up * h, n, u0, vTop},
      Vertex{o + right * w, n, u1, vBottom},
      Vertex{o + right * w + up * h, n, u1, vTop},
  };
  r.frame = TileFrame{o, right, up, n, w, h};
  return r;
}

namespace {

constexpr float kFloorY = -90.0f;

struct Rect {
  float s0, s1, t0, t1;
};

// A flat surface in world-aligned (s, t) coordinates: P = origin + right*s + up*t.
struct Surface {
  V3 origin, right, up;
  Rect extent;
  std::vector<Rect> holes;
};

// Breakpoints of [lo, hi]: the ends, every multiple of `tile` inside, and
// the given extra edges inside.
std::vector<float> cuts(float lo, float hi, float tile, const std::vector<float>& extra) {
  std::vector<float> c{lo, hi};
  for (float k = std::floor(lo / tile) + 1; k * tile < hi; ++k) c.push_back(k * tile);
  for (float e : extra)
    if (e > lo && e < hi) c.push_back(e);
  std::sort(c.begin(), c.end());
  c.erase(std::unique(c.begin(), c.end()), c.end());
  return c;
}

// Cuts a surface into tiles on the world grid, leaving out its holes; each
// tile is a record with texture coordinates 0..1 over its grid square.
void tile(const Surface& s, float tile, int room, int material, int texture, std::vector<Record>& out) {
  std::vector<float> sEdges;
  for (const Rect& h : s.holes) sEdges.push_back(h.s0), sEdges.push_back(h.s1);
  const std::vector<float> sc = cuts(s.extent.s0, s.extent.s1, tile, sEdges);
  for (size_t i = 0; i + 1 < sc.size(); ++i) {
    const float a = sc[i], b = sc[i + 1], sm = (a + b) / 2;
    std::vector<float> tEdges;
    for (const Rect& h : s.holes)
      if (sm > h.s0 && sm < h.s1) tEdges.push_back(h.t0), tEdges.push_back(h.t1);
    const std::vector<float> tc = cuts(s.extent.t0, s.extent.t1, tile, tEdges);
    for (size_t j = 0; j + 1 < tc.size(); ++j) {
      const float c = tc[j], d = tc[j + 1], tm = (c + d) / 2;
      bool inHole = false;
      for (const Rect& h : s.holes) inHole = inHole || (sm > h.s0 && sm < h.s1 && tm > h.t0 && tm < h.t1);
      if (inHole) continue;
      const float ks = std::floor(sm / tile) * tile, kt = std::floor(tm / tile) * tile;
      Record r = makeQuad(s.origin + s.right * a + s.up * c, s.right, s.up, b - a, d - c, (a - ks) / tile,
                          (b - ks) / tile, 1 - (c - kt) / tile, 1 - (d - kt) / tile);
      r.frame = TileFrame{s.origin + s.right * ks + s.up * kt, s.right, s.up, r.frame.normal, tile, tile};
      r.room = room, r.material = material, r.texture = texture;
      out.push_back(std::move(r));
    }
  }
}

// The six faces of a box, each seen from outside: +x, -x, +z, -z, top, bottom.
std::vector<Record> boxFaces(const std::array<float, 6>& b, float vRepeat, bool top, bool bottom) {
  const float x0 = b[0], y0 = b[1], z0 = b[2], x1 = b[3], y1 = b[4], z1 = b[5];
  const V3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, mX{-1, 0, 0}, mZ{0, 0, -1};
  std::vector<Record> f;
  f.push_back(makeQuad({x1, y0, z0}, Z, Y, z1 - z0, y1 - y0, 0, 1, vRepeat, 0));
  f.push_back(makeQuad({x0, y0, z1}, mZ, Y, z1 - z0, y1 - y0, 0, 1, vRepeat, 0));
  f.push_back(makeQuad({x1, y0, z1}, mX, Y, x1 - x0, y1 - y0, 0, 1, vRepeat, 0));
  f.push_back(makeQuad({x0, y0, z0}, X, Y, x1 - x0, y1 - y0, 0, 1, vRepeat, 0));
  if (top) f.push_back(makeQuad({x0, y1, z0}, X, Z, x1 - x0, z1 - z0, 0, 1, 1, 0));
  if (bottom) f.push_back(makeQuad({x1, y0, z0}, mX, Z, x1 - x0, z1 - z0, 0, 1, 1, 0));
  return f;
}

void addRoom(const LevelSource& src, size_t index, std::vector<Record>& out) {
  const RoomSource& room = src.rooms[index];
  const int n = static_cast<int>(index);
  const int mat = materialIndex(src, src.defaultMaterial);
  const float T = src.tile, H = room.ceiling - kFloorY;
  const V3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, mX{-1, 0, 0}, mZ{0, 0, -1};

  const float f = src.floorOffset;
  tile(Surface{{f, kFloorY, f}, X, Z, {room.x0 - f, room.x1 - f, room.z0 - f, room.z1 - f}, {}}, T, n, mat,
       textureIndex(src, room.floorTexture), out);
  tile(Surface{{f, room.ceiling, f}, mX, Z, {f - room.x1, f - room.x0, room.z0 - f, room.z1 - f}, {}}, T, n, mat,
       textureIndex(src, room.ceilingTexture), out);

  // Walls, each seen from inside the room; s runs along the wall, t up from the floor.
  Surface south{{0, kFloorY, room.z0}, mX, Y, {-room.x1, -room.x0, 0, H}, {}};
  Surface north{{0, kFloorY, room.z1}, X, Y, {room.x0, room.x1, 0, H}, {}};
  Surface west{{room.x0, kFloorY, 0}, Z, Y, {room.z0, room.z1, 0, H}, {}};
  Surface east{{room.x1, kFloorY, 0}, mZ, Y, {-room.z1, -room.z0, 0, H}, {}};
  for (const DoorSource& d : src.doors) {
    if (d.roomA != room.name && d.roomB != room.name) continue;
    const std::string& otherName = d.roomA == room.name ? d.roomB : d.roomA;
    const RoomSource* o = nullptr;
    for (const RoomSource& r : src.rooms)
      if (r.name == otherName) o = &r;
    const float top = d.top - kFloorY;
    if (o->x0 == room.x1) east.holes.push_back({-d.to, -d.from, 0, top});
    else if (o->x1 == room.x0) west.holes.push_back({d.from, d.to, 0, top});
    else if (o->z0 == room.z1) north.holes.push_back({d.from, d.to, 0, top});
    else south.holes.push_back({-d.to, -d.from, 0, top});
  }
  if (src.mirror.room == room.name)
    west.holes.push_back({src.mirror.z0, src.mirror.z1, src.mirror.y0 - kFloorY, src.mirror.y1 - kFloorY});
  const int wallTex = textureIndex(src, room.wallTexture);
  for (const Surface* s : {&south, &north, &west, &east}) tile(*s, T, n, mat, wallTex, out);
}

// The solid wall set back behind the pane, and the four sides of its recess.
void addMirrorRecess(const LevelSource& src, int room, std::vector<Record>& out) {
  const MirrorSource& m = src.mirror;
  const int mat = materialIndex(src, src.defaultMaterial), tex = textureIndex(src, m.backingTexture);
  const float x = -100 - m.depth;
  const V3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, mX{-1, 0, 0};
  tile(Surface{{x, kFloorY, 0}, Z, Y, {m.z0, m.z1, m.y0 - kFloorY, m.y1 - kFloorY}, {}}, src.tile, room, mat, tex, out);
  const float d = m.depth, w = m.z1 - m.z0, h = m.y1 - m.y0;
  std::vector<Record> sides = {
      makeQuad({x, m.y1, m.z0}, Z, X, w, d, 0, 1, 1, 0),                // top, seen from below
      makeQuad({-100, m.y0, m.z0}, Z, mX, w, d, 0, 1, 1, 0),            // bottom, seen from above
      makeQuad({-100, m.y0, m.z0}, mX, Y, d, h, 0, 1, 1, 0),            // south side, faces +z
      makeQuad({x, m.y0, m.z1}, X, Y, d, h, 0, 1, 1, 0),                // north side, faces -z
  };
  for (Record& r : sides) {
    r.room = room, r.material = mat, r.texture = tex;
    out.push_back(std::move(r));
  }
}

void addModel(const LevelSource& src, const ModelSource& model, std::vector<ModelPartOut>& out) {
  out.clear();
  for (const PartSource& p : model.parts) {
    ModelPartOut part;
    part.pivot = p.pivot;
    part.keys = p.keys;
    part.box = p.box;
    part.texture = textureIndex(src, p.texture);
    out.push_back(part);
  }
  // Children of one parent become its child and that child's siblings, in source order.
  for (size_t i = 1; i < model.parts.size(); ++i) {
    size_t parent = 0;
    for (size_t j = 0; j < i; ++j)
      if (model.parts[j].name == model.parts[i].parent) parent = j;
    int* link = &out[parent].child;
    while (*link >= 0) link = &out[static_cast<size_t>(*link)].sibling;
    *link = static_cast<int>(i);
  }
}

// Four walls facing inwards around every room that is not closed, `hull`
// outside them: they stop shots fired point-blank at an outer wall, which
// start beyond it. They belong to a room of their own, one past the source's
// rooms, that no room sees, so they are never drawn in play.
void addHull(const LevelSource& src, std::vector<Record>& out) {
  float x0 = 1e30f, x1 = -1e30f, z0 = 1e30f, z1 = -1e30f, top = -90;
  for (const RoomSource& r : src.rooms) {
    if (r.closed) continue;
    x0 = std::min(x0, r.x0), x1 = std::max(x1, r.x1), z0 = std::min(z0, r.z0), z1 = std::max(z1, r.z1);
    top = std::max(top, r.ceiling);
  }
  x0 -= src.hull, x1 += src.hull, z0 -= src.hull, z1 += src.hull;
  const V3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, mX{-1, 0, 0}, mZ{0, 0, -1};
  const float h = top - kFloorY;
  std::vector<Record> walls = {
      makeQuad({x1, kFloorY, z0}, mX, Y, x1 - x0, h, 0, 1, 1, 0), makeQuad({x0, kFloorY, z1}, X, Y, x1 - x0, h, 0, 1, 1, 0),
      makeQuad({x0, kFloorY, z0}, Z, Y, z1 - z0, h, 0, 1, 1, 0), makeQuad({x1, kFloorY, z1}, mZ, Y, z1 - z0, h, 0, 1, 1, 0)};
  for (Record& r : walls) {
    r.room = static_cast<int>(src.rooms.size());
    r.material = materialIndex(src, src.defaultMaterial);
    r.texture = textureIndex(src, src.rooms[0].wallTexture);
    r.fullBright = true;
    out.push_back(std::move(r));
  }
}

}  // namespace

int roomAt(const LevelSource& src, float x, float z) {
  for (size_t i = 0; i < src.rooms.size(); ++i) {
    const RoomSource& r = src.rooms[i];
    if (x >= r.x0 && x <= r.x1 && z >= r.z0 && z <= r.z1) return static_cast<int>(i);
  }
  return -1;
}

bool buildGeometry(const LevelSource& src, CompiledLevel& out, std::string& error) {
  out = CompiledLevel{};
  out.graphSize = static_cast<int>(src.rooms.size()) + 1;  // and the hull's
  const MirrorSource& m = src.mirror;
  const int mirrorRoom = roomAt(src, -90, 600);

  // Record 0: the pane, a strip of two triangles in the plane x = -100, facing into the room.
  Record pane = makeQuad({-100, m.y0, m.z0}, {0, 0, 1}, {0, 1, 0}, m.z1 - m.z0, m.y1 - m.y0, 0, 1, 1, 0);
  pane.room = mirrorRoom;
  pane.material = materialIndex(src, m.material);
  pane.texture = textureIndex(src, m.texture);
  pane.fullBright = true;
  out.rooms.push_back(std::move(pane));

  for (size_t i = 0; i < src.rooms.size(); ++i) addRoom(src, i, out.rooms);
  addMirrorRecess(src, mirrorRoom, out.rooms);
  addHull(src, out.rooms);

  for (const SignSource& s : src.signs) {
    Record r = makeQuad({s.x - s.size / 2, -s.size / 2, s.z}, {1, 0, 0}, {0, 1, 0}, s.size, s.size, 0, 1, 1, 0);
    // makeQuad faces -z for right = +x and up = +y: the sign looks back at the booth's entrance.
    r.room = roomAt(src, s.x, s.z);
    if (r.room < 0) {
      error = src.path + ": the sign at (" + std::to_string(s.x) + ", " + std::to_string(s.z) + ") stands in no room";
      return false;
    }
    r.material = materialIndex(src, src.defaultMaterial);
    r.texture = textureIndex(src, s.texture);
    out.rooms.push_back(std::move(r));
  }

  for (const PropSource& p : src.props) {
    const int room = roomAt(src, p.x, p.z);
    if (room < 0) {
      error = src.path + ":" + std::to_string(p.line) + ": expected a prop standing in a room";
      return false;
    }
    const std::array<float, 6> box{p.x - p.width / 2, p.base, p.z - p.depth / 2,
                                   p.x + p.width / 2, p.base + p.height, p.z + p.depth / 2};
    const float vRepeat = p.kind == "pillar" ? std::max(1.0f, std::round(p.height / p.width)) : 1.0f;
    std::vector<Record> faces = boxFaces(box, vRepeat, p.base + p.height < 100, p.base > kFloorY + 1);
    for (size_t f = 0; f < faces.size(); ++f) {
      Record& r = faces[f];
      r.room = room;
      r.material = materialIndex(src, src.defaultMaterial);
      r.texture = textureIndex(src, f >= 4 ? p.topTexture : p.texture);
      r.castsShadow = p.castsShadow;
      out.props.push_back(std::move(r));
    }
  }

  addModel(src, src.robot, out.robot);
  addModel(src, src.shot, out.shot);
  return true;
}

std::vector<Record> modelBoxFaces(const std::array<float, 6>& box) { return boxFaces(box, 1, true, true); }

}  // namespace cog
