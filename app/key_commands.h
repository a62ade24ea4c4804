#pragma once
// The commands a key can play, as the settings file names them, with the
// keys that play them by default (today's table), and the window's key
// bindings made from a player's lists.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/key_bindings.h"

namespace cog {

struct DefaultKey {
  const char* name;  // as SDL names the key
  uint32_t code;     // the game's code it sends (0 for a volume key)
};

struct KeyCommand {
  const char* name;  // in the settings file
  const char* what;  // for the player
  uint32_t code;     // the game's code it sends from a key that is not one of its defaults
  PlayerKey player;  // or the volume it changes
  std::vector<DefaultKey> defaults;
};

// Every command, in the order the settings file lists them.
const std::vector<KeyCommand>& keyCommands();

// The key names of each command (same order as keyCommands()).
using KeyLists = std::vector<std::vector<std::string>>;
KeyLists defaultKeyLists();

// The window's bindings: each command's keys play it. A key that is one of
// the command's defaults sends the code it always sent, so key scripts
// recorded with the defaults are the same as before; a default key the
// player moved elsewhere, or left out, does nothing. Names are checked by
// the settings reader; unknown ones are skipped here.
KeyBindings makeKeyBindings(const KeyLists& lists);

}  // namespace cog
