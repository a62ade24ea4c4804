#pragma once
// The places the game itself fixes: the start, the seven robots' starts and
// the two end places. A level source must have room for them.

#include <string>

#include "tools/levelc/source.h"

namespace cog {

// False with `error` ("FILE: expected ...", or "FILE:LINE: ..." naming the
// prop) when a start place lies outside the open rooms or inside a prop, or
// when an end place lies outside a closed room.
bool checkPlacement(const LevelSource& src, std::string& error);

}  // namespace cog
