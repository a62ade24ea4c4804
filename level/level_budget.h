#pragma once
// What one level may make in all: records and their vertices (rooms, props
// and every actor's copy of its model), materials, and the images of the
// two texture lists. The limits sit far above any hand-made level and keep
// a hostile one to a few hundred megabytes; a level over one is refused with
// a message naming the file, the line and the limit.

#include <cstdint>

namespace cog {

class TextReader;

// Records of all kinds: rooms, props and the parts of the eight models.
constexpr int64_t kMaxLevelRecords = 262144;
// Vertices of all those records (40 bytes each, kept twice: by the game and
// by the device).
constexpr int64_t kMaxLevelVertices = 2000000;
constexpr int64_t kMaxLevelMaterials = 65536;
// Entries of the light-map and texture lists together.
constexpr int64_t kMaxLevelImageNames = 16384;
// Pixels of the distinct images those lists name: 256 MiB of RGBA.
constexpr int64_t kMaxLevelImagePixels = int64_t{64} << 20;

// What is left of the limits while a level loads.
struct LevelBudget {
  int64_t records = kMaxLevelRecords;
  int64_t vertices = kMaxLevelVertices;
  int64_t materials = kMaxLevelMaterials;
  int64_t imageNames = kMaxLevelImageNames;
  int64_t imagePixels = kMaxLevelImagePixels;
};

// Each takes `count` from the budget the reader's limits point at (none:
// nothing is checked). False, with the reader failed at its line naming the
// limit, when the level would go over it.
bool chargeRecords(TextReader& in, int64_t count);
bool chargeVertices(TextReader& in, int64_t count);
bool chargeMaterials(TextReader& in, int64_t count);
bool chargeImageNames(TextReader& in, int64_t count);
bool chargeImagePixels(TextReader& in, int64_t count);

}  // namespace cog
