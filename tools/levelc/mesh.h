#pragma once
// The compiled level in memory: room and prop records as quads with their
// tile frames (for light-map baking), and the model parts.

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace cog {

struct V3 {
  float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(V3 a) { return std::sqrt(dot(a, a)); }

struct Vertex {
  V3 p;
  V3 n;
  float u = 0, v = 0;
};

// The frame a light map is baked in: texel (i, j) of an N x N map lies at
// origin + right * ((i + 0.5) / N * width) + up * ((1 - (j + 0.5) / N) * height),
// where texture coordinates (u, v) = ((i + 0.5) / N, (j + 0.5) / N).
struct TileFrame {
  V3 origin, right, up, normal;
  float width = 200, height = 200;
};

// One record as it is written: a plain-form strip of two triangles (four
// vertices with normals) or, for markers, the two probe points.
struct Record {
  std::vector<Vertex> vertices;  // strip order: bottom-left, top-left, bottom-right, top-right
  int room = 0;
  int material = 0;
  int texture = 0;
  bool marker = false;
  bool castsShadow = true;
  bool fullBright = false;  // light map is plain white (the mirror pane)
  TileFrame frame;
};

struct ModelPartOut {
  std::array<float, 3> pivot{};
  std::vector<std::array<float, 4>> keys;
  std::array<float, 6> box{};
  int texture = 0;
  int child = -1, sibling = -1;  // indexes into the part list
};

struct CompiledLevel {
  std::vector<Record> rooms;  // record 0 is the mirror pane; markers last
  std::vector<Record> props;
  int graphSize = 0;
  std::vector<ModelPartOut> robot, shot;
};

// A quad seen from its front: bottom-left corner `o`, `right` and `up` unit
// vectors, sizes w and h, with texture coordinates u0..u1 left to right and
// v0..v1 bottom to top (v is 0 at the top of an image).
Record makeQuad(V3 o, V3 right, V3 up, float w, float h, float u0, float u1, float vBottom, float vTop);

}  // namespace cog
