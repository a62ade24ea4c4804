#pragma once
// The page the browser build runs in, as the window is natively: its
// canvas with a WebGL 2 context, the keys typed on it (as the game's key
// codes), the tab's visibility, the fullscreen control, the title, the
// message shown in the page on a failure, and the animation frames that
// drive it. The only place with Emscripten's page calls; built for the
// browser only.

#include <cstdint>
#include <functional>
#include <string>

namespace cog::web {

// Makes a WebGL 2 context on the page's canvas (#canvas) current. False
// with `error` when the browser has no WebGL 2.
bool openWebGl2(std::string& error);

// Sizes the canvas's drawable to the box the page gives it times the
// screen's pixel ratio, and reads it back; true when it changed since the
// last call. The picture fills it, as it fills the window's drawable.
bool fitCanvas(int& width, int& height);

// Keys typed in the page, as the game's key codes (domKeyCode), each press
// and auto-repeat. Alt+Enter switches fullscreen and reaches nobody.
void onKey(std::function<void(uint32_t)> key);
// Called with true when the tab is hidden, false when it shows again.
void onHidden(std::function<void(bool)> hidden);
bool pageHidden();
void toggleFullscreen();

void setTitle(const std::string& title);
// Shows `text` in the page in place of the game (and in the console).
void showFailure(const std::string& text);
// Notes the time the first frame was drawn (performance.now(), in
// window.cogFirstFrame) for whoever measures the page.
void markFirstFrame();
// One line on the browser's console.
void consoleLine(const std::string& line);

// Calls `frame` with the frame's time in milliseconds on every animation
// frame until it returns false. Returns at once; the page goes on.
void runFrames(std::function<bool(double)> frame);

// The game's key code for a page key code (KeyboardEvent.keyCode, which
// numbers keys as the game does), 0 for keys the game is not given: the
// same set the window passes on.
uint32_t domKeyCode(int keyCode);

}  // namespace cog::web
