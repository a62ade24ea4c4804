// Game controllers: the button and stick map, the repeat of a held
// direction, and a controller plugged into the running window (SDL's
// virtual joystick on the offscreen video driver).

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "game/keys.h"
#include "platform/controller_map.h"
#include "platform/window.h"
#include "support/gl_context.h"

namespace cog {

namespace {

TEST(ControllerMap, ButtonsSendTheCommandsKeys) {
  const std::vector<std::pair<int, int>> table{
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft},       {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight},
      {SDL_CONTROLLER_BUTTON_DPAD_UP, kKeyUp},           {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kKeyDown},
      {SDL_CONTROLLER_BUTTON_A, kKeyFire},               {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, kKeyStrafeLeft},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kKeyStrafeRight}, {SDL_CONTROLLER_BUTTON_X, kKeyXray},
      {SDL_CONTROLLER_BUTTON_Y, kKeyFreeze},             {SDL_CONTROLLER_BUTTON_BACK, kKeyMusic},
      {SDL_CONTROLLER_BUTTON_START, kKeyNewGame},        {SDL_CONTROLLER_BUTTON_B, 0},
      {SDL_CONTROLLER_BUTTON_GUIDE, 0},                  {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0},
      {SDL_CONTROLLER_BUTTON_MISC1, 0},                  {SDL_CONTROLLER_BUTTON_INVALID, 0},
      {SDL_CONTROLLER_BUTTON_MAX, 0}};
  for (const auto& [button, code] : table) {
    EXPECT_EQ(controllerButtonCode(button), uint32_t(code)) << "button " << button;
    const bool direction = code >= kKeyLeft && code <= kKeyDown;
    EXPECT_EQ(controllerButtonRepeats(button), direction) << "button " << button;
  }
}

TEST(ControllerMap, TheLeftStickHoldsPastHalfWayAndLetsGoInsideAQuarter) {
  struct Case {
    int axis;
    int16_t value;
    uint32_t held, expected;
  };
  const Case table[] = {
      {SDL_CONTROLLER_AXIS_LEFTX, -32768, 0, kKeyLeft},  {SDL_CONTROLLER_AXIS_LEFTX, 32767, 0, kKeyRight},
      {SDL_CONTROLLER_AXIS_LEFTX, -16384, 0, kKeyLeft},  {SDL_CONTROLLER_AXIS_LEFTX, 16384, 0, kKeyRight},
      {SDL_CONTROLLER_AXIS_LEFTX, -16383, 0, 0},         {SDL_CONTROLLER_AXIS_LEFTX, 0, 0, 0},
      // Between a quarter and a half it keeps what it held.
      {SDL_CONTROLLER_AXIS_LEFTX, -16383, kKeyLeft, kKeyLeft}, {SDL_CONTROLLER_AXIS_LEFTX, -8192, kKeyLeft, kKeyLeft},
      {SDL_CONTROLLER_AXIS_LEFTX, -8191, kKeyLeft, 0},   {SDL_CONTROLLER_AXIS_LEFTX, 12000, kKeyRight, kKeyRight},
      {SDL_CONTROLLER_AXIS_LEFTX, 12000, kKeyLeft, 0},   // flicked across: the other side holds nothing yet
      {SDL_CONTROLLER_AXIS_LEFTY, -20000, 0, kKeyUp},    {SDL_CONTROLLER_AXIS_LEFTY, 20000, 0, kKeyDown},
      {SDL_CONTROLLER_AXIS_LEFTY, -12000, kKeyUp, kKeyUp}, {SDL_CONTROLLER_AXIS_RIGHTX, -32768, 0, 0},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, 0, 0}};
  for (const Case& c : table)
    EXPECT_EQ(stickArrowCode(c.axis, c.value, c.held), c.expected)
        << "axis " << c.axis << " value " << c.value << " held " << c.held;
  // The player's zones from the settings, at their edges.
  const StickZones zones{24000, 4000};
  const Case player[] = {{SDL_CONTROLLER_AXIS_LEFTX, 23999, 0, 0},
                         {SDL_CONTROLLER_AXIS_LEFTX, 24000, 0, kKeyRight},
                         {SDL_CONTROLLER_AXIS_LEFTX, 4000, kKeyRight, kKeyRight},
                         {SDL_CONTROLLER_AXIS_LEFTX, 3999, kKeyRight, 0}};
  for (const Case& c : player)
    EXPECT_EQ(stickArrowCode(c.axis, c.value, c.held, zones), c.expected) << "value " << c.value;
}

// Which codes each of a run of ticks presses again.
std::vector<std::vector<uint32_t>> ticks(HeldKeyRepeat& repeat, int n) {
  std::vector<std::vector<uint32_t>> out;
  for (int i = 0; i < n; ++i) {
    out.emplace_back();
    repeat.tick(out.back());
  }
  return out;
}

TEST(ControllerMap, HeldDirectionsRepeatAfterTheDelayOncePerTickUntilNobodyHoldsThem) {
  constexpr int kDelay = HeldKeyRepeat::kRepeatDelayTicks;
  using Presses = std::vector<std::vector<uint32_t>>;
  const uint64_t pad = controllerHolder(3, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  const uint64_t stickX = controllerHolder(3, kStickSlot + SDL_CONTROLLER_AXIS_LEFTX);
  const uint64_t other = controllerHolder(4, SDL_CONTROLLER_BUTTON_DPAD_UP);

  HeldKeyRepeat repeat;
  EXPECT_TRUE(repeat.hold(pad, kKeyLeft)) << "pressed at once";
  EXPECT_FALSE(repeat.hold(pad, kKeyLeft)) << "held, not pressed again";
  Presses expected(kDelay);
  expected.back() = {kKeyLeft};
  EXPECT_EQ(ticks(repeat, kDelay), expected);
  EXPECT_EQ(ticks(repeat, 2), (Presses{{kKeyLeft}, {kKeyLeft}}));

  // The stick holds the same direction: no second press, one repeat.
  EXPECT_FALSE(repeat.hold(stickX, kKeyLeft));
  EXPECT_EQ(repeat.heldBy(stickX), uint32_t(kKeyLeft));
  EXPECT_TRUE(repeat.hold(other, kKeyUp));
  EXPECT_EQ(ticks(repeat, 1), (Presses{{kKeyLeft}}));
  EXPECT_FALSE(repeat.hold(pad, 0)) << "released";
  EXPECT_EQ(ticks(repeat, 1), (Presses{{kKeyLeft}})) << "the stick still holds it";

  // The stick swings right: left stops, right starts over.
  EXPECT_TRUE(repeat.hold(stickX, kKeyRight));
  Presses swung = ticks(repeat, kDelay);
  EXPECT_EQ(swung[kDelay - 3], (std::vector<uint32_t>{kKeyUp})) << "controller 4's up keeps its own pace";
  EXPECT_EQ(swung.back(), (std::vector<uint32_t>{kKeyUp, kKeyRight}));

  // Unplugging controller 3 lets go of all it held, and nothing else.
  repeat.releaseController(3);
  EXPECT_EQ(repeat.heldBy(stickX), 0u);
  EXPECT_EQ(ticks(repeat, 1), (Presses{{kKeyUp}}));
  repeat.releaseController(4);
  EXPECT_EQ(ticks(repeat, 1), (Presses{{}}));
}

// A shown window on the offscreen driver. It never has the keyboard focus;
// controllers play all the same.
std::unique_ptr<GameWindow> openControllerWindow() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  std::string error;
  std::unique_ptr<GameWindow> window = GameWindow::create(error);
  EXPECT_TRUE(window) << error;
  if (!window) return nullptr;
  pinLoadedLibraries();
  window->show();
  return window;
}

// A controller plugged in while the window runs: the presses reach the
// game with the keyboard's codes, a held d-pad repeats, a stick pushed
// walks, and an unplugged controller's held direction stops.
TEST(ControllerWindow, AControllerPluggedInWhileTheGameRunsPlays) {
  std::unique_ptr<GameWindow> window = openControllerWindow();
  ASSERT_TRUE(window);

  int tick = 0;
  int device = -1;
  SDL_Joystick* joystick = nullptr;
  std::vector<std::pair<int, uint32_t>> seen;  // (ticks run before it, code)
  constexpr int kDelay = HeldKeyRepeat::kRepeatDelayTicks;
  window->run(
      [&] {
        ++tick;
        if (tick == 2) {
          device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                             SDL_CONTROLLER_BUTTON_MAX, 0);
          joystick = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
        }
        if (!joystick) return;
        if (tick == 4) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
        if (tick == 5) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 0);
        if (tick == 6) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
        if (tick == 7) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
        if (tick == 7 + kDelay + 1) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
        if (tick == 20) SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -30000);
        if (tick == 22) {
          SDL_JoystickClose(joystick);
          joystick = nullptr;
          SDL_JoystickDetachVirtual(device);
        }
      },
      [&](uint32_t code) { seen.emplace_back(tick, code); }, 20 + kDelay + 4);
  if (joystick) SDL_JoystickClose(joystick);
  ASSERT_GE(device, 0) << SDL_GetError();

  const std::vector<std::pair<int, uint32_t>> expected{
      {4, kKeyFire},
      {6, kKeyNewGame},
      {7, kKeyLeft},                   // pressed
      {7 + kDelay - 1, kKeyLeft},      // repeated just before the tick that ends the delay
      {7 + kDelay, kKeyLeft},          // and before the next; then let go
      {20, kKeyUp}};                   // the stick pushed; unplugged before it repeats
  EXPECT_EQ(seen, expected);
}

// The window tells the presentation about controllers: one plugged in, its
// Guide button (pause; never a game code), and the unplugging of the one
// that played. A controller that never played goes unremarked.
TEST(ControllerWindow, GuidePausesAndTheControllerInUseGoingIsSignalled) {
  std::unique_ptr<GameWindow> window = openControllerWindow();
  ASSERT_TRUE(window);

  int tick = 0;
  int played = -1, idle = -1;
  SDL_Joystick* joystick = nullptr;
  std::vector<std::string> seen;
  WindowHooks hooks;
  hooks.signal = [&](WindowSignal s) {
    if (s == WindowSignal::ControllerAdded) seen.push_back("added");
    if (s == WindowSignal::ControllerRemoved) seen.push_back("removed");
    if (s == WindowSignal::Pause) seen.push_back("pause");
    return false;
  };
  const auto attach = [] {
    return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                     SDL_CONTROLLER_BUTTON_MAX, 0);
  };
  window->run(
      [&] {
        ++tick;
        if (tick == 2) {
          played = attach();
          joystick = played >= 0 ? SDL_JoystickOpen(played) : nullptr;
        }
        if (tick == 3) idle = attach();
        if (!joystick) return;
        if (tick == 5) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_GUIDE, 1);
        if (tick == 6) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_GUIDE, 0);
        if (tick == 8) SDL_JoystickDetachVirtual(idle);
        if (tick == 10) {
          SDL_JoystickClose(joystick);
          joystick = nullptr;
          SDL_JoystickDetachVirtual(played);
        }
      },
      [&](uint32_t code) { seen.push_back(std::to_string(code)); }, 14, &hooks);
  if (joystick) SDL_JoystickClose(joystick);
  ASSERT_GE(played, 0) << SDL_GetError();
  EXPECT_EQ(seen, (std::vector<std::string>{"added", "added", "pause", "removed"}));
}

}  // namespace

}  // namespace cog
