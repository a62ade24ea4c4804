#pragma once
// Room markers: the game builds its room graph by testing sight between
// marker records, so the compiler finds, for every pair of rooms that can
// see each other through one or more doorways, a pair of points with a clear
// line between them and puts a marker at each.

#include "tools/levelc/mesh.h"
#include "tools/levelc/raycast.h"
#include "tools/levelc/source.h"

namespace cog {

// Appends the marker records to `level.rooms` (after every visible record)
// and returns how many room pairs see each other.
int addRoomMarkers(const LevelSource& src, const Occluders& walls, CompiledLevel& level);

}  // namespace cog
