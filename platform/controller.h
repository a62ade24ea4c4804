#pragma once
// Game controllers through SDL's game-controller API: every controller
// plugged in, before the game starts or while it runs, plays the game's
// commands (the map is in platform/controller_map.h).

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/controller_map.h"

union SDL_Event;
struct _SDL_GameController;

namespace cog {

class Controllers {
 public:
  // Opens SDL's game-controller part; the controllers already plugged in
  // arrive as events like those plugged in later. Without it (no joystick
  // support on the machine) the game plays with the keyboard only.
  Controllers();
  ~Controllers();
  Controllers(const Controllers&) = delete;
  Controllers& operator=(const Controllers&) = delete;

  // Handles a controller event (plugged in or out, button, stick), passing
  // the key codes it presses to `key`; other events are ignored.
  void handle(const SDL_Event& event, const std::function<void(uint32_t)>& key);
  // Where the left stick presses and lets go of a direction.
  void setStickZones(const StickZones& zones) { zones_ = zones; }
  // At each tick, before it runs: the held directions press again.
  void tick(const std::function<void(uint32_t)>& key);

 private:
  void press(uint64_t holder, uint32_t code, const std::function<void(uint32_t)>& key);

  bool ready_ = false;
  std::vector<_SDL_GameController*> open_;
  HeldKeyRepeat repeat_;
  StickZones zones_;
  std::vector<uint32_t> due_;
};

}  // namespace cog
