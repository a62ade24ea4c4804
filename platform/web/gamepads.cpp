#include "platform/web/gamepads.h"

#include <emscripten/html5.h>
#include <SDL_gamecontroller.h>

#include <cmath>
#include <string_view>

namespace cog::web {

int Gamepads::sdlButton(int standardButton) {
  switch (standardButton) {
    case 0: return SDL_CONTROLLER_BUTTON_A;
    case 1: return SDL_CONTROLLER_BUTTON_B;
    case 2: return SDL_CONTROLLER_BUTTON_X;
    case 3: return SDL_CONTROLLER_BUTTON_Y;
    case 4: return SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
    case 5: return SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
    case 8: return SDL_CONTROLLER_BUTTON_BACK;
    case 9: return SDL_CONTROLLER_BUTTON_START;
    case 10: return SDL_CONTROLLER_BUTTON_LEFTSTICK;
    case 11: return SDL_CONTROLLER_BUTTON_RIGHTSTICK;
    case 12: return SDL_CONTROLLER_BUTTON_DPAD_UP;
    case 13: return SDL_CONTROLLER_BUTTON_DPAD_DOWN;
    case 14: return SDL_CONTROLLER_BUTTON_DPAD_LEFT;
    case 15: return SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    case 16: return SDL_CONTROLLER_BUTTON_GUIDE;
    default: return -1;
  }
}

void Gamepads::press(uint64_t holder, uint32_t code, const std::function<void(uint32_t)>& key) {
  if (repeat_.hold(holder, code)) key(code);
}

void Gamepads::poll(const std::function<void(uint32_t)>& key) {
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
  const int count = emscripten_get_num_gamepads();
  if (count > static_cast<int>(pads_.size())) pads_.resize(static_cast<size_t>(count));
  for (int i = 0; i < static_cast<int>(pads_.size()); ++i) {
    Pad& pad = pads_[static_cast<size_t>(i)];
    EmscriptenGamepadEvent state;
    const bool connected = i < count && emscripten_get_gamepad_status(i, &state) == EMSCRIPTEN_RESULT_SUCCESS &&
                           state.connected && std::string_view(state.mapping) == "standard";
    if (!connected) {
      if (pad.connected) repeat_.releaseController(i);
      pad = Pad{};
      continue;
    }
    pad.connected = true;
    pad.down.resize(static_cast<size_t>(state.numButtons), false);
    for (int b = 0; b < state.numButtons; ++b) {
      const bool down = state.digitalButton[b] != 0;
      if (down == pad.down[static_cast<size_t>(b)]) continue;
      pad.down[static_cast<size_t>(b)] = down;
      const int button = sdlButton(b);
      if (button < 0) continue;
      const uint32_t code = controllerButtonCode(button);
      if (controllerButtonRepeats(button))
        press(controllerHolder(i, button), down ? code : 0, key);
      else if (down && code != 0)
        key(code);
    }
    // The left stick, in SDL's axis range (the page's runs -1 to 1).
    for (int axis = 0; axis < 2 && axis < state.numAxes; ++axis) {
      const double v = std::fmax(-1.0, std::fmin(1.0, state.axis[axis]));
      const auto value = static_cast<int16_t>(std::lround(v * 32767.0));
      const uint64_t holder = controllerHolder(i, kStickSlot + axis);
      press(holder, stickArrowCode(axis, value, repeat_.heldBy(holder)), key);
    }
  }
}

void Gamepads::tick(const std::function<void(uint32_t)>& key) {
  due_.clear();
  repeat_.tick(due_);
  for (uint32_t code : due_) key(code);
}

}  // namespace cog::web
