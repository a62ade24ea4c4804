#pragma once
// Which key plays what: the game's key code of each key (today's table, or
// the player's bindings over it) and the keys the window keeps for itself
// (the volumes). Keys are SDL key codes, named as SDL names them.

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

// What a key does that the game never sees.
enum class PlayerKey : uint8_t { None, MusicQuieter, MusicLouder, EffectsQuieter, EffectsLouder };

// The key with this name ("Space", "V", "Keypad 2", "F7", "-"), case
// ignored; 0 for a name that is no key.
int32_t keyFromName(const std::string& name);
// The name of a key, as keyFromName reads it back.
std::string keyName(int32_t key);
// Whether the window keeps a key for itself whatever the bindings say
// (Escape, F1, F11, P, Pause).
bool keyIsReserved(int32_t key);

class KeyBindings {
 public:
  // Today's table: every key the game has a code for sends it, and the
  // volume keys (- and = for the music, [ and ] for the effects).
  KeyBindings();

  // `key` now sends the game's `code`, or plays `player` (code 0); a key
  // bound before loses what it did.
  void bind(int32_t key, uint32_t code, PlayerKey player = PlayerKey::None);
  // `key` does nothing any more.
  void unbind(int32_t key);

  // The game's code a key sends, 0 for none.
  uint32_t gameCode(int32_t key) const;
  // What a key does for the player outside the game, None for nothing.
  PlayerKey playerKey(int32_t key) const;

 private:
  struct Binding {
    int32_t key;
    uint32_t code;
    PlayerKey player;
  };
  const Binding* find(int32_t key) const;
  std::vector<Binding> bindings_;  // keys that differ from the game's table
};

}  // namespace cog
