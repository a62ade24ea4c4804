#pragma once
// Game controllers in the page, through the browser's Gamepad API (pads with
// the standard layout), sending the key codes the window's controllers
// send: the same map and the same repeat of held directions
// (platform/controller_map.h). The page has no controller events; the pads
// are read once a frame and their changes pressed.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/controller_map.h"

namespace cog::web {

class Gamepads {
 public:
  // Reads the pads and presses what changed since the last read.
  void poll(const std::function<void(uint32_t)>& key);
  // Before each tick: presses the held directions that repeat.
  void tick(const std::function<void(uint32_t)>& key);

  // The SDL button number of a standard-layout button, -1 for none.
  static int sdlButton(int standardButton);

 private:
  struct Pad {
    bool connected = false;
    std::vector<bool> down;
  };
  void press(uint64_t holder, uint32_t code, const std::function<void(uint32_t)>& key);

  std::vector<Pad> pads_;
  HeldKeyRepeat repeat_;
  std::vector<uint32_t> due_;
};

}  // namespace cog::web
