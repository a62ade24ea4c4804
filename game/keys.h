#pragma once
// Keyboard commands: one key press, one discrete step.

#include <cstdint>

#include "game/game.h"

namespace cog {

// Key codes of the commands (the Windows virtual-key codes the game knew).
constexpr int kKeyFire = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyStrafeRight = 66;      // B
constexpr int kKeyStrafeRightPad = 98;   // keypad 2
constexpr int kKeyStrafeLeft = 86;       // V
constexpr int kKeyStrafeLeftF7 = 118;    // F7
constexpr int kKeyFreeze = 73;           // I
constexpr int kKeyFreezePad = 105;       // keypad 9
constexpr int kKeyMusic = 77;            // M
constexpr int kKeyMusicPad = 109;        // keypad minus
constexpr int kKeyNewGame = 78;          // N
constexpr int kKeyNewGamePad = 110;      // keypad decimal point
constexpr int kKeyXray = 84;             // T
constexpr int kKeyXrayF5 = 116;          // F5
constexpr int kKeyXrayNoRestore = 103;   // keypad 7

// Runs the command of a key code; only its low 8 bits count, as a signed
// byte, so codes 128-255 match nothing.
void HandleKeyDown(Game& game, uint32_t code);

}  // namespace cog
