#include "tools/levelc/raycast.h"

#include <algorithm>

namespace cog {

namespace {

// Moller-Trumbore: the parameter along a->b where it meets the triangle, or -1.
float meet(const V3 (&t)[3], V3 a, V3 d) {
  const V3 e1 = t[1] - t[0], e2 = t[2] - t[0];
  const V3 p = cross(d, e2);
  const float det = dot(e1, p);
  if (std::fabs(det) < 1e-9f) return -1;
  const float inv = 1 / det;
  const V3 s = a - t[0];
  const float u = dot(s, p) * inv;
  if (u < 0 || u > 1) return -1;
  const V3 q = cross(s, e1);
  const float v = dot(d, q) * inv;
  if (v < 0 || u + v > 1) return -1;
  return dot(e2, q) * inv;
}

}  // namespace

void Occluders::add(const Record& r) {
  if (r.vertices.size() < 4) return;
  Quad q;
  q.lo = q.hi = r.vertices[0].p;
  for (const Vertex& v : r.vertices) {
    q.lo = {std::min(q.lo.x, v.p.x), std::min(q.lo.y, v.p.y), std::min(q.lo.z, v.p.z)};
    q.hi = {std::max(q.hi.x, v.p.x), std::max(q.hi.y, v.p.y), std::max(q.hi.z, v.p.z)};
  }
  const auto& v = r.vertices;
  q.tri[0][0] = v[0].p, q.tri[0][1] = v[1].p, q.tri[0][2] = v[2].p;
  q.tri[1][0] = v[1].p, q.tri[1][1] = v[3].p, q.tri[1][2] = v[2].p;
  quads_.push_back(q);
}

bool Occluders::hits(const Quad& q, V3 a, V3 b) const {
  const V3 lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
  const V3 hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
  if (hi.x < q.lo.x || lo.x > q.hi.x || hi.y < q.lo.y || lo.y > q.hi.y || hi.z < q.lo.z || lo.z > q.hi.z) return false;
  const V3 d = b - a;
  for (const auto& t : q.tri) {
    const float s = meet(t, a, d);
    if (s > 1e-4f && s < 1 - 1e-4f) return true;
  }
  return false;
}

bool Occluders::blocked(V3 a, V3 b) const {
  for (const Quad& q : quads_)
    if (hits(q, a, b)) return true;
  return false;
}

std::vector<int> Occluders::near(V3 lo, V3 hi) const {
  std::vector<int> out;
  for (size_t i = 0; i < quads_.size(); ++i) {
    const Quad& q = quads_[i];
    if (hi.x < q.lo.x || lo.x > q.hi.x || hi.y < q.lo.y || lo.y > q.hi.y || hi.z < q.lo.z || lo.z > q.hi.z) continue;
    out.push_back(static_cast<int>(i));
  }
  return out;
}

bool Occluders::blockedBy(const std::vector<int>& records, V3 a, V3 b) const {
  for (int i : records)
    if (hits(quads_[static_cast<size_t>(i)], a, b)) return true;
  return false;
}

}  // namespace cog
