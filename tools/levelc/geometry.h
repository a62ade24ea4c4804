#pragma once
// Turns the level source into records: the mirror pane as record 0, then
// every room's floor, ceiling and wall tiles (walls cut around doorways and
// the mirror), the mirror's recess, the signs, and the props as one record
// per face; the actor models as part lists.

#include <string>

#include "tools/levelc/mesh.h"
#include "tools/levelc/source.h"

namespace cog {

// Fills `out.rooms` (without markers), `out.props`, `out.robot`, `out.shot`
// and `out.graphSize`. False with `error` when a prop or sign stands in no room.
bool buildGeometry(const LevelSource& src, CompiledLevel& out, std::string& error);

// Number of the first room whose floor contains (x, z), or -1.
int roomAt(const LevelSource& src, float x, float z);

// The six outward faces of a model part's box (x0 y0 z0 x1 y1 z1).
std::vector<Record> modelBoxFaces(const std::array<float, 6>& box);

}  // namespace cog
