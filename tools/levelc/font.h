#pragma once
// The sign font: capital letters, digits and a little punctuation on a 5 x 7
// grid, drawn for the end-booth signs.

#include <string>

namespace cog {

// The 7 rows of a glyph, 5 bits each (bit 4 is the left column); a blank
// glyph for characters the font lacks.
const unsigned char* glyphRows(char c);

// Width of `text` in grid cells: 6 per character (5 plus a gap), less the last gap.
int textCells(const std::string& text);

}  // namespace cog
