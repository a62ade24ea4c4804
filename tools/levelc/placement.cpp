#include "tools/levelc/placement.h"

#include <cmath>

#include "tools/levelc/geometry.h"

namespace cog {

namespace {

struct Place {
  const char* what;
  float x, z;
};

constexpr Place kStarts[] = {
    {"the player's start", 0, 50},  {"robot 0's start", 0, 400},     {"robot 1's start", 800, 600},
    {"robot 2's start", 800, 700},  {"robot 3's start", 900, 1400},  {"robot 4's start", 1000, 1400},
    {"robot 5's start", 1100, 1300}, {"robot 6's start", 1200, 1300},
};
constexpr Place kEnds[] = {{"the caught place", -1900, 9900}, {"the winning place", -1800, 9900}};

std::string at(const LevelSource& src, int line) { return src.path + ":" + std::to_string(line) + ": expected "; }

std::string where(const Place& p) {
  return std::string(p.what) + " (" + std::to_string(static_cast<int>(p.x)) + ", " + std::to_string(static_cast<int>(p.z)) + ")";
}

}  // namespace

bool checkPlacement(const LevelSource& src, std::string& error) {
  // Robots are 20 across either way; the player is kept 10 from anything.
  for (const Place& p : kStarts) {
    const int r = roomAt(src, p.x, p.z);
    if (r < 0 || src.rooms[static_cast<size_t>(r)].closed) {
      error = src.path + ": expected an open room under " + where(p);
      return false;
    }
    for (const PropSource& prop : src.props)
      if (std::fabs(prop.x - p.x) < prop.width / 2 + 20 && std::fabs(prop.z - p.z) < prop.depth / 2 + 20 &&
          prop.base < -80 && prop.base + prop.height > -80) {
        error = at(src, prop.line) + "a prop clear of " + where(p);
        return false;
      }
  }
  for (const Place& p : kEnds) {
    const int r = roomAt(src, p.x, p.z);
    if (r < 0 || !src.rooms[static_cast<size_t>(r)].closed) {
      error = src.path + ": expected a closed room (an end booth) under " + where(p);
      return false;
    }
  }
  return true;
}

}  // namespace cog
