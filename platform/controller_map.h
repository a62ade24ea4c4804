#pragma once
// What a game controller sends to the game: the key codes of the keyboard's
// commands, from its buttons and its left stick, and the repeat of a held
// direction. Plain rules without SDL calls; buttons and axes are numbered as
// SDL's game-controller API numbers them.

#include <cstdint>
#include <vector>

namespace cog {

// The key code a controller button sends, 0 for a button without one.
uint32_t controllerButtonCode(int button);

// Whether a button is a direction that repeats while held (the d-pad).
bool controllerButtonRepeats(int button);

// How far the left stick goes before it presses a direction, and inside
// what it lets go (its dead zone), out of 32767 each way.
struct StickZones {
  int32_t press = 16384;   // half way
  int32_t release = 8192;  // a quarter
};

// The arrow code the left stick's `axis` holds at `value`, given the code
// it held before (0 for none). Past `press` it holds; back inside `release`
// it lets go; in between it keeps what it held, so a stick resting near the
// edge does not flutter. Other axes hold nothing.
uint32_t stickArrowCode(int axis, int16_t value, uint32_t held, const StickZones& zones = StickZones{});

// Who holds a direction: one d-pad button or stick axis of one controller.
uint64_t controllerHolder(int32_t controller, int slot);
constexpr int kStickSlot = 0x100;  // slot of a stick axis: kStickSlot + axis

// Held directions repeat like a held key: one press when first held, then,
// from kRepeatDelayTicks ticks later, one press every tick while held.
class HeldKeyRepeat {
 public:
  static constexpr int kRepeatDelayTicks = 8;  // 264 ms at 33 ms a tick; then about 30 a second

  // `holder` now holds `code`, or nothing when `code` is 0. True when
  // `code` has just become held by anyone: the caller presses it at once.
  bool hold(uint64_t holder, uint32_t code);
  // The code `holder` holds, 0 for none.
  uint32_t heldBy(uint64_t holder) const;
  // Lets go of all that a controller holds (it was unplugged).
  void releaseController(int32_t controller);
  // One tick passes: appends the codes to press again before it runs.
  void tick(std::vector<uint32_t>& presses);

 private:
  void dropIfUnheld(uint32_t code);

  struct Holding {
    uint64_t holder;
    uint32_t code;
  };
  struct Repeat {
    uint32_t code;
    int ticks;  // ticks since it was first held
  };
  std::vector<Holding> holdings_;
  std::vector<Repeat> repeats_;  // codes held by anyone, in the order first held
};

}  // namespace cog
