// Plays a level headless and prints the key script it used, for recording
// demos. It walks a route of waypoints and, whenever a live robot stands in
// the open (no wall or prop on the shot's line at eye height), turns to it
// and fires once the aim is good. It presses keys as a quick player would:
// a few turn presses and at most one step per tick.
// Usage: autopilot LEVELDIR [ROUTE [MAXTICKS]]
// ROUTE is a text file of waypoints, one "X Z" per line ('#' starts a comment).
// Exit status 0 when the game is won.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_tick.h"
#include "game/keys.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/rec/recording_device.h"
#include "sim/collision.h"
#include "sim/state.h"

namespace cog {

namespace {

struct Point {
  double x, z;
};

std::vector<Point> readRoute(const char* path) {
  std::vector<Point> route;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream fields(line);
    Point p;
    if (fields >> p.x >> p.z) route.push_back(p);
  }
  return route;
}

// The line from the player to a point, at eye height (where the shot flies), clear of walls and props.
bool inTheOpen(const LevelData& level, const Vec3& from, const Vec3& to) {
  const Vec3 a(from.x, 0.0f, from.z), b(to.x, 0.0f, to.z);
  for (const auto* list : {&level.rooms, &level.props})
    for (const MeshRecord& r : *list)
      if (!r.isMarker && segmentHits(r, a, b)) return false;
  return true;
}

// Signed difference from the player's heading to the direction of (x, z), in degrees.
double turnTo(const SimState& sim, double x, double z) {
  const double want = std::atan2(x - sim.player.position.x, z - sim.player.position.z) * 180.0 / M_PI;
  double diff = std::fmod(want - sim.player.heading, 360.0);
  if (diff > 180) diff -= 360;
  if (diff < -180) diff += 360;
  return diff;
}

void press(Game& game, long tick, int code) {
  HandleKeyDown(game, code);
  std::printf("%ld %d\n", tick, code);
}

void turn(Game& game, long tick, double diff, int most) {
  const int n = std::min(most, std::max(1, static_cast<int>(std::lround(std::fabs(diff) / 3.0))));
  for (int i = 0; i < n; ++i) press(game, tick, diff > 0 ? kKeyRight : kKeyLeft);
}

}  // namespace

int programMain(int argc, char** argv) {
  std::vector<Point> route = argc > 2 ? readRoute(argv[2]) : std::vector<Point>{};
  const long maxTicks = argc > 3 ? std::atol(argv[3]) : 3000;
  if (argc < 2 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: autopilot LEVELDIR [ROUTE [MAXTICKS]]\n");
    return 2;
  }
  RecordingDevice renderDevice;
  renderDevice.setRecording(false);
  SilentAudioEngine engine;
  Game game;
  if (Status s = game.start(renderDevice, engine); !s) {
    std::fprintf(stderr, "autopilot: %s\n", s.message().c_str());
    return 1;
  }
  const SimState& sim = game.sim;
  const Actors& actors = game.actors;
  const LevelData& level = game.level;
  std::printf("# Autopilot: walk the route, turn to any robot in the open, fire when aimed.\n");
  size_t next = 0;
  for (long tick = 1; tick <= maxTicks && !sim.gameOver; ++tick) {
    engine.advance(33);
    const Actor* target = nullptr;
    double best = 1e30;
    for (const Actor& robot : actors.robots) {
      if (!robot.alive || !inTheOpen(level, sim.player.position, robot.position)) continue;
      const double d = std::hypot(robot.position.x - sim.player.position.x, robot.position.z - sim.player.position.z);
      if (d < best) best = d, target = &robot;
    }
    // A robot is worth aiming at when whole turn steps can bring the shot's
    // line within its hit box; otherwise keep walking, which changes the angle.
    int presses = 0;
    if (target) {
      const double diff = turnTo(sim, target->position.x, target->position.z);
      presses = static_cast<int>(std::lround(diff / 3.0));
      const double h = (sim.player.heading + 3.0 * presses) * M_PI / 180.0;
      const Vec3 end(static_cast<float>(sim.player.position.x + best * std::sin(h)), 0.0f,
                     static_cast<float>(sim.player.position.z + best * std::cos(h)));
      if (best * std::sin(std::fabs(diff - 3.0 * presses) * M_PI / 180.0) > 14.0 || !inTheOpen(level, sim.player.position, end))
        target = nullptr;
    }
    if (target) {
      if (presses != 0) turn(game, tick, 3.0 * presses, 4);
      else if (!actors.shot.inFlight) press(game, tick, kKeyFire);
    } else if (next < route.size()) {
      const Point p = route[next];
      if (std::hypot(p.x - sim.player.position.x, p.z - sim.player.position.z) < 10) {
        ++next;
      } else {
        const double diff = turnTo(sim, p.x, p.z);
        if (std::fabs(diff) > 4) turn(game, tick, diff, 4);
        else press(game, tick, kKeyUp);
      }
    } else {
      press(game, tick, kKeyStrafeRight);
    }
    GameTick(game);
    engine.clearCalls();
  }
  return sim.gameOver && sim.player.position.x == -1800.0f ? 0 : 1;
}

}  // namespace cog

int main(int argc, char** argv) { return cog::programMain(argc, argv); }
