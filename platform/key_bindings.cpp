#include "platform/key_bindings.h"

#include <SDL.h>

#include <algorithm>

#include "platform/window.h"

namespace cog {

int32_t keyFromName(const std::string& name) {
  if (name.empty()) return 0;
  return SDL_GetKeyFromName(name.c_str());
}

std::string keyName(int32_t key) { return SDL_GetKeyName(key); }

bool keyIsReserved(int32_t key) {
  return key == SDLK_ESCAPE || key == SDLK_F1 || key == SDLK_F11 || key == SDLK_p || key == SDLK_PAUSE;
}

KeyBindings::KeyBindings() {
  bind(SDLK_MINUS, 0, PlayerKey::MusicQuieter);
  bind(SDLK_EQUALS, 0, PlayerKey::MusicLouder);
  bind(SDLK_LEFTBRACKET, 0, PlayerKey::EffectsQuieter);
  bind(SDLK_RIGHTBRACKET, 0, PlayerKey::EffectsLouder);
}

void KeyBindings::bind(int32_t key, uint32_t code, PlayerKey player) {
  std::erase_if(bindings_, [key](const Binding& b) { return b.key == key; });
  bindings_.push_back({key, player == PlayerKey::None ? code : 0, player});
}

void KeyBindings::unbind(int32_t key) {
  std::erase_if(bindings_, [key](const Binding& b) { return b.key == key; });
  bindings_.push_back({key, 0, PlayerKey::None});
}

const KeyBindings::Binding* KeyBindings::find(int32_t key) const {
  auto it = std::find_if(bindings_.begin(), bindings_.end(), [key](const Binding& b) { return b.key == key; });
  return it == bindings_.end() ? nullptr : &*it;
}

uint32_t KeyBindings::gameCode(int32_t key) const {
  const Binding* b = find(key);
  return b ? b->code : gameKeyCode(key);
}

PlayerKey KeyBindings::playerKey(int32_t key) const {
  const Binding* b = find(key);
  return b ? b->player : PlayerKey::None;
}

}  // namespace cog
