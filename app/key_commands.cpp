#include "app/key_commands.h"

#include <cstring>

#include "game/keys.h"

namespace cog {

const std::vector<KeyCommand>& keyCommands() {
  static const std::vector<KeyCommand> commands{
      {"fire", "fire", kKeyFire, PlayerKey::None, {{"Space", kKeyFire}}},
      {"walk_forward", "walk forward", kKeyUp, PlayerKey::None, {{"Up", kKeyUp}}},
      {"walk_back", "walk back", kKeyDown, PlayerKey::None, {{"Down", kKeyDown}}},
      {"turn_left", "turn left", kKeyLeft, PlayerKey::None, {{"Left", kKeyLeft}}},
      {"turn_right", "turn right", kKeyRight, PlayerKey::None, {{"Right", kKeyRight}}},
      {"step_left", "side-step left", kKeyStrafeLeft, PlayerKey::None,
       {{"V", kKeyStrafeLeft}, {"F7", kKeyStrafeLeftF7}}},
      {"step_right", "side-step right", kKeyStrafeRight, PlayerKey::None,
       {{"B", kKeyStrafeRight}, {"Keypad 2", kKeyStrafeRightPad}}},
      {"freeze", "freeze the robots (on / off)", kKeyFreeze, PlayerKey::None,
       {{"I", kKeyFreeze}, {"Keypad 9", kKeyFreezePad}}},
      {"music", "music off / on", kKeyMusic, PlayerKey::None, {{"M", kKeyMusic}, {"Keypad -", kKeyMusicPad}}},
      {"new_game", "new game", kKeyNewGame, PlayerKey::None, {{"N", kKeyNewGame}, {"Keypad .", kKeyNewGamePad}}},
      {"xray", "x-ray view (on / off)", kKeyXray, PlayerKey::None, {{"T", kKeyXray}, {"F5", kKeyXrayF5}}},
      {"xray_keep_states", "x-ray view, leaving the blend and depth states", kKeyXrayNoRestore, PlayerKey::None,
       {{"Keypad 7", kKeyXrayNoRestore}}},
      {"music_quieter", "music volume down", 0, PlayerKey::MusicQuieter, {{"-", 0}}},
      {"music_louder", "music volume up", 0, PlayerKey::MusicLouder, {{"=", 0}}},
      {"effects_quieter", "effects volume down", 0, PlayerKey::EffectsQuieter, {{"[", 0}}},
      {"effects_louder", "effects volume up", 0, PlayerKey::EffectsLouder, {{"]", 0}}},
  };
  return commands;
}

KeyLists defaultKeyLists() {
  KeyLists lists;
  for (const KeyCommand& command : keyCommands()) {
    std::vector<std::string>& names = lists.emplace_back();
    for (const DefaultKey& key : command.defaults) names.emplace_back(key.name);
  }
  return lists;
}

KeyBindings makeKeyBindings(const KeyLists& lists) {
  KeyBindings bindings;
  const std::vector<KeyCommand>& commands = keyCommands();
  for (const KeyCommand& command : commands)
    for (const DefaultKey& key : command.defaults) bindings.unbind(keyFromName(key.name));
  for (size_t i = 0; i < commands.size() && i < lists.size(); ++i) {
    const KeyCommand& command = commands[i];
    for (const std::string& name : lists[i]) {
      const int32_t key = keyFromName(name);
      if (key == 0) continue;
      uint32_t code = command.code;
      for (const DefaultKey& d : command.defaults)
        if (keyFromName(d.name) == key) code = d.code;
      bindings.bind(key, code, command.player);
    }
  }
  return bindings;
}

}  // namespace cog
