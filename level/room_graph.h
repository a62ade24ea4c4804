#pragma once
// The room visibility graph: cell (row, column) is 1 when the room numbered
// column is in sight from the room numbered row.

#include <cstdint>
#include <vector>

namespace cog {

class RoomGraph {
 public:
  std::vector<uint8_t> cells;
  int32_t size = 0;

  void allocate(int32_t n);
  void setDiagonal();
  void set(int32_t row, int32_t column);
  uint8_t get(int32_t row, int32_t column) const;
};

}  // namespace cog
