// Plays the arena level headless to a win and prints the key script it
// used: turn to the nearest live robot, fire when the aim is good.
// Usage: autopilot LEVELDIR [MAXTICKS]

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/game_tick.h"
#include "app/keys.h"
#include "app/session.h"
#include "audio/rec/silent_engine.h"
#include "level/model.h"
#include "render/rec/recording_device.h"
#include "sim/state.h"

int main(int argc, char** argv) {
  if (argc < 2 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: autopilot LEVELDIR [MAXTICKS]\n");
    return 2;
  }
  const long maxTicks = argc > 2 ? std::atol(argv[2]) : 2000;
  RecordingDevice renderDevice;
  renderDevice.setRecording(false);
  SilentAudioEngine engine;
  std::string error;
  if (startGame(renderDevice, engine, error) != StartFailure::None) {
    std::fprintf(stderr, "autopilot: %s\n", error.c_str());
    return 1;
  }
  std::printf("# Autopilot win on the arena level: turn to the nearest robot, fire when aimed.\n");
  for (long tick = 1; tick <= maxTicks && !sim.gameOver; ++tick) {
    engine.advance(33);
    const Actor* target = nullptr;
    double best = 1e30;
    for (const Actor& robot : actors.robots) {
      if (!robot.alive) continue;
      const double d = std::hypot(robot.position.x - sim.player.position.x, robot.position.z - sim.player.position.z);
      if (d < best) best = d, target = &robot;
    }
    if (target) {
      const double want = std::atan2(target->position.x - sim.player.position.x,
                                     target->position.z - sim.player.position.z) * 180.0 / M_PI;
      double diff = std::fmod(want - sim.player.heading, 360.0);
      if (diff > 180) diff -= 360;
      if (diff < -180) diff += 360;
      // Aim so the miss at the robot's distance stays inside its hit box.
      const double miss = best * std::sin(std::fabs(diff) * M_PI / 180.0);
      if (miss > 12.0) {
        const int presses = std::min(10, std::max(1, static_cast<int>(std::lround(std::fabs(diff) / 3.0))));
        const int code = diff > 0 ? kKeyRight : kKeyLeft;
        for (int i = 0; i < presses; ++i) {
          HandleKeyDown(code);
          std::printf("%ld %d\n", tick, code);
        }
      } else if (!actors.shot.inFlight) {
        HandleKeyDown(kKeyFire);
        std::printf("%ld %d\n", tick, kKeyFire);
      }
    }
    GameTick();
    engine.clearCalls();
  }
  shutdownGame();
  return sim.gameOver && sim.player.position.x == -1800.0f ? 0 : 1;
}
