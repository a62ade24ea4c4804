#pragma once
// Segment tests against the level's triangles, for light-map shadows and
// for choosing where the room markers go.

#include <vector>

#include "tools/levelc/mesh.h"

namespace cog {

class Occluders {
 public:
  // The triangles of the given records (two per quad record), each record
  // with its bounding box for a quick rejection.
  void add(const Record& r);

  // True when the open segment a->b passes through a triangle (its ends
  // excluded by a small margin).
  bool blocked(V3 a, V3 b) const;

  // Indexes of the records whose boxes meet the box around the given points:
  // a narrowed list for many segments in one region.
  std::vector<int> near(V3 lo, V3 hi) const;
  bool blockedBy(const std::vector<int>& records, V3 a, V3 b) const;

 private:
  struct Quad {
    V3 lo, hi;
    V3 tri[2][3];
  };
  std::vector<Quad> quads_;
  bool hits(const Quad& q, V3 a, V3 b) const;
};

}  // namespace cog
