#include "platform/controller.h"

#include <SDL.h>

#include <algorithm>

namespace cog {

namespace {

SDL_JoystickID instanceOf(SDL_GameController* controller) {
  return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
}

}  // namespace

Controllers::Controllers() : ready_(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {}

Controllers::~Controllers() {
  for (SDL_GameController* controller : open_) SDL_GameControllerClose(controller);
  if (ready_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void Controllers::handle(const SDL_Event& event, const std::function<void(uint32_t)>& key) {
  if (!ready_) return;
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
      if (std::any_of(open_.begin(), open_.end(), [&](SDL_GameController* c) { return instanceOf(c) == id; }))
        return;
      if (SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which)) open_.push_back(controller);
      return;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      const SDL_JoystickID id = event.cdevice.which;
      repeat_.releaseController(id);
      auto it = std::find_if(open_.begin(), open_.end(), [&](SDL_GameController* c) { return instanceOf(c) == id; });
      if (it != open_.end()) {
        SDL_GameControllerClose(*it);
        open_.erase(it);
      }
      return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
      const int button = event.cbutton.button;
      const uint32_t code = controllerButtonCode(button);
      if (controllerButtonRepeats(button))
        press(controllerHolder(event.cbutton.which, button), down ? code : 0, key);
      else if (down && code != 0)
        key(code);
      return;
    }
    case SDL_CONTROLLERAXISMOTION: {
      const uint64_t holder = controllerHolder(event.caxis.which, kStickSlot + event.caxis.axis);
      press(holder, stickArrowCode(event.caxis.axis, event.caxis.value, repeat_.heldBy(holder), zones_), key);
      return;
    }
    default:
      return;
  }
}

void Controllers::tick(const std::function<void(uint32_t)>& key) {
  due_.clear();
  repeat_.tick(due_);
  for (uint32_t code : due_) key(code);
}

void Controllers::press(uint64_t holder, uint32_t code, const std::function<void(uint32_t)>& key) {
  if (repeat_.hold(holder, code)) key(code);
}

}  // namespace cog
