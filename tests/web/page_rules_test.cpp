// The browser build's page rules, under Node: the page's key codes reach the
// game as the window's do, standard gamepad buttons send what the same SDL
// controller buttons send, and the page's options are read or refused.
#include <cstdio>
#include <string>
#include <vector>

#include "app/web/page_options.h"
#include "platform/controller_map.h"
#include "platform/web/gamepads.h"
#include "platform/web/page.h"

namespace cog {
namespace {

int failures = 0;

void expect(bool ok, const std::string& what) {
  if (!ok) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
  }
}

void keys() {
  // KeyboardEvent.keyCode -> game code: every command key arrives as itself.
  const int commands[] = {32, 37, 38, 39, 40, 66, 86, 73, 77, 78, 84, 98, 103, 105, 109, 110, 116, 118};
  for (int code : commands) expect(web::domKeyCode(code) == static_cast<uint32_t>(code), "key " + std::to_string(code));
  // Keys the window gives no code: Escape, Shift, Control, Alt, and codes
  // past the keypad's and function keys' ranges (the limits and one past).
  const int none[] = {27, 16, 17, 18, 0, 124, 255, 186, 47, 58, 64, 91};
  for (int code : none) expect(web::domKeyCode(code) == 0, "no code for key " + std::to_string(code));
  const int edges[] = {48, 57, 65, 90, 96, 111, 112, 123};
  for (int code : edges) expect(web::domKeyCode(code) == static_cast<uint32_t>(code), "edge key " + std::to_string(code));
}

void gamepads() {
  // Standard layout button -> the code the window's controller sends.
  struct Case {
    int standard;
    uint32_t code;
  };
  const Case cases[] = {{0, 32}, {1, 0}, {2, 84}, {3, 73}, {4, 86}, {5, 66}, {6, 0}, {7, 0}, {8, 77},
                        {9, 78}, {12, 38}, {13, 40}, {14, 37}, {15, 39}, {16, 0}, {17, 0}, {-1, 0}};
  for (const Case& c : cases) {
    const int sdl = web::Gamepads::sdlButton(c.standard);
    const uint32_t code = sdl < 0 ? 0 : controllerButtonCode(sdl);
    expect(code == c.code, "pad button " + std::to_string(c.standard) + " sends " + std::to_string(code));
  }
  expect(controllerButtonRepeats(web::Gamepads::sdlButton(14)), "the d-pad repeats");
  expect(!controllerButtonRepeats(web::Gamepads::sdlButton(0)), "A does not repeat");
}

void options() {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    int64_t ticks;
  };
  const Case cases[] = {
      {{}, true, 0},
      {{"--ticks", "700", "--unpaced", "--trace", "--mute", "--input", "/input.keys"}, true, 700},
      {{"--ticks", "0"}, true, 0},
      {{"--ticks", "9223372036854775807"}, true, 9223372036854775807},
      {{"--ticks", "-1"}, false, 0},
      {{"--ticks", "7x"}, false, 0},
      {{"--ticks", ""}, false, 0},
      {{"--ticks"}, false, 0},
      {{"--input"}, false, 0},
      {{"--fast"}, false, 0},
      {{"--aspect", "wide"}, true, 0},
      {{"--aspect", "square"}, false, 0},
      {{"--aspect"}, false, 0},
  };
  for (const Case& c : cases) {
    PageOptions o;
    std::string error;
    const bool ok = parsePageArguments(c.args, o, error);
    std::string what;
    for (const std::string& a : c.args) what += a + " ";
    expect(ok == c.ok && (!ok ? !error.empty() : o.ticks == c.ticks), "options: " + what + error);
  }
}

}  // namespace
}  // namespace cog

int main() {
  cog::keys();
  cog::gamepads();
  cog::options();
  std::printf("%s\n", cog::failures == 0 ? "page rules: all pass" : "page rules: failures");
  return cog::failures == 0 ? 0 : 1;
}
