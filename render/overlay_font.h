#pragma once
// The game's own small bitmap font: 5 x 7 pixel glyphs for the printable
// ASCII characters (32 to 126), drawn on a 6 x 9 cell. Used for the status
// line, the notices and the cards laid over the picture.

#include <cstdint>

namespace cog {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // a column between glyphs
constexpr int kLineAdvance = 9;   // two rows between lines

// Whether pixel (column, row) of the glyph of `c` is lit; row 0 is the top.
// Characters outside 32..126 draw as '?'.
bool glyphPixel(char c, int column, int row);

}  // namespace cog
