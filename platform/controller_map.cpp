#include "platform/controller_map.h"

#include <SDL_gamecontroller.h>

#include <algorithm>

namespace cog {

namespace {

// The game's key codes (the keyboard sends the same).
constexpr uint32_t kFire = 32;         // Space
constexpr uint32_t kLeft = 37;         // turn left
constexpr uint32_t kUp = 38;           // walk forward
constexpr uint32_t kRight = 39;        // turn right
constexpr uint32_t kDown = 40;         // walk back
constexpr uint32_t kStrafeRight = 66;  // B
constexpr uint32_t kFreeze = 73;       // I
constexpr uint32_t kMusic = 77;        // M
constexpr uint32_t kNewGame = 78;      // N
constexpr uint32_t kXray = 84;         // T
constexpr uint32_t kStrafeLeft = 86;   // V

}  // namespace

uint32_t controllerButtonCode(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return kLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kRight;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return kUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return kDown;
    case SDL_CONTROLLER_BUTTON_A: return kFire;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return kStrafeLeft;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return kStrafeRight;
    case SDL_CONTROLLER_BUTTON_X: return kXray;
    case SDL_CONTROLLER_BUTTON_Y: return kFreeze;
    case SDL_CONTROLLER_BUTTON_BACK: return kMusic;
    case SDL_CONTROLLER_BUTTON_START: return kNewGame;
    default: return 0;
  }
}

bool controllerButtonRepeats(int button) {
  return button == SDL_CONTROLLER_BUTTON_DPAD_LEFT || button == SDL_CONTROLLER_BUTTON_DPAD_RIGHT ||
         button == SDL_CONTROLLER_BUTTON_DPAD_UP || button == SDL_CONTROLLER_BUTTON_DPAD_DOWN;
}

uint32_t stickArrowCode(int axis, int16_t value, uint32_t held, const StickZones& zones) {
  uint32_t negative = 0, positive = 0;
  if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
    negative = kLeft;
    positive = kRight;
  } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {  // the stick pushed away reads negative
    negative = kUp;
    positive = kDown;
  } else {
    return 0;
  }
  if (value <= -zones.press) return negative;
  if (value >= zones.press) return positive;
  if (value > -zones.release && value < zones.release) return 0;
  // Between the two: keep what was held on this side.
  return held == (value < 0 ? negative : positive) ? held : 0;
}

uint64_t controllerHolder(int32_t controller, int slot) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(controller)) << 32) | static_cast<uint32_t>(slot);
}

bool HeldKeyRepeat::hold(uint64_t holder, uint32_t code) {
  auto it = std::find_if(holdings_.begin(), holdings_.end(), [&](const Holding& h) { return h.holder == holder; });
  if (it != holdings_.end()) {
    if (it->code == code) return false;
    const uint32_t was = it->code;
    holdings_.erase(it);
    dropIfUnheld(was);
  }
  if (code == 0) return false;
  holdings_.push_back({holder, code});
  if (std::any_of(repeats_.begin(), repeats_.end(), [&](const Repeat& r) { return r.code == code; })) return false;
  repeats_.push_back({code, 0});
  return true;
}

uint32_t HeldKeyRepeat::heldBy(uint64_t holder) const {
  for (const Holding& h : holdings_)
    if (h.holder == holder) return h.code;
  return 0;
}

void HeldKeyRepeat::releaseController(int32_t controller) {
  const uint64_t owner = controllerHolder(controller, 0) >> 32;
  std::vector<uint32_t> released;
  std::erase_if(holdings_, [&](const Holding& h) {
    if (h.holder >> 32 != owner) return false;
    released.push_back(h.code);
    return true;
  });
  for (uint32_t code : released) dropIfUnheld(code);
}

void HeldKeyRepeat::tick(std::vector<uint32_t>& presses) {
  for (Repeat& r : repeats_)
    if (++r.ticks >= kRepeatDelayTicks) presses.push_back(r.code);
}

void HeldKeyRepeat::dropIfUnheld(uint32_t code) {
  if (std::any_of(holdings_.begin(), holdings_.end(), [&](const Holding& h) { return h.code == code; })) return;
  std::erase_if(repeats_, [&](const Repeat& r) { return r.code == code; });
}

}  // namespace cog
