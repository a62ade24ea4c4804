#include "level/room_graph.h"

#include <cstddef>

namespace cog {

void RoomGraph::allocate(int32_t n) {
  size = n < 0 ? 0 : n;
  cells.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
}

void RoomGraph::setDiagonal() {
  for (int32_t i = 0; i < size; ++i) cells[static_cast<size_t>(i) * static_cast<size_t>(size) + static_cast<size_t>(i)] = 1;
}

void RoomGraph::set(int32_t row, int32_t column) {
  if (row < 0 || column < 0 || row >= size || column >= size) return;
  cells[static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(column)] = 1;
}

uint8_t RoomGraph::get(int32_t row, int32_t column) const {
  // Out-of-range cells (a player outside every room: row -1) are out of sight.
  if (row < 0 || column < 0 || row >= size || column >= size) return 0;
  return cells[static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(column)];
}

}  // namespace cog
