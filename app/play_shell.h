#pragma once
// What a player sees and does around the game in its window: pause (and
// pausing by itself when the window loses focus, is hidden or the
// controller in use goes), the how-to-play and paused cards, the status
// line and brief notices, the window title, and turning with the mouse.
// Presentation only: it decides which presses reach the game (and so the
// recording), never what they do there, and it changes nothing in the game.

#include <cstdint>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/window.h"
#include "render/overlay_draw.h"

namespace cog {

// Mouse turning's rate at sensitivity 1: 30 pixels a turn key.
constexpr float kMouseDegreesPerPixel = 0.1f;

// How the window presents the game (the settings may set these).
struct PresentationOptions {
  // The original presentation: no cards, status line, notices, feedback
  // sounds or mouse; Escape closes the window; no settings read or written.
  bool classic = false;
  bool showHowToPlay = false;      // the how-to-play card first (a first start)
  bool statusLine = true;          // the status line on the picture (Tab)
  bool mouseTurning = true;        // a click captures the mouse to turn with it
  float mouseDegreesPerPixel = kMouseDegreesPerPixel;
};

// What the status line and the title tell of the game.
struct GameStatus {
  int robotsLeft = 0;
  bool frozen = false;
  bool musicOff = false;
  bool xray = false;
  bool gameOver = false;
};
GameStatus statusOf(const Game& game);

enum class Card { None, HowToPlay, Paused };

// A notice shows for this many timer events (33 ms each): about 2 s.
constexpr int kNoticeFrames = 60;

class PlayShell {
 public:
  explicit PlayShell(const PresentationOptions& options);

  // A window signal; true: quit now.
  bool signal(WindowSignal signal);
  // A game key pressed: whether it reaches the game (a card or a pause
  // takes it).
  bool letThrough(uint32_t code);
  // Horizontal mouse motion: the turn presses (Left / Right codes) it adds
  // up to, one for every 3 degrees.
  std::vector<uint32_t> mouseMoved(int dx);
  // A left click: whether it fires (the first click only captures).
  bool clickFires();

  // No tick runs while true.
  bool paused() const { return paused_ || card_ == Card::HowToPlay; }
  Card card() const;
  bool statusLine() const { return statusLine_; }
  bool wantsMouse() const { return mouseCaptured_; }
  // Whether the picture should be drawn again (a paused game's changed).
  bool takeRedraw();

  // A brief notice ("controller connected", "music volume 70%").
  void notice(const std::string& text);
  // One timer event passed (ticking or paused): notices run down.
  void frame();

  std::string title(const GameStatus& status) const;
  // What is laid over a picture of the viewport's size.
  Overlay overlay(const GameStatus& status, const Viewport& viewport) const;

 private:
  void pause();
  void dismissHowToPlay();

  PresentationOptions options_;
  bool paused_ = false;
  Card card_ = Card::None;  // the how-to-play card is the only one apart from pausing
  bool statusLine_ = true;
  bool mouseCaptured_ = false;
  bool quitOnRelease_ = false;
  bool redraw_ = false;
  float turnDegrees_ = 0.0f;
  std::string notice_;
  int noticeFrames_ = 0;
};

// The words of the status line and the window's title.
std::string statusText(const GameStatus& status, bool paused);
std::string windowTitle(const GameStatus& status, bool paused);
// The cards, laid out for the viewport: a dark panel with its lines.
void addCard(Overlay& overlay, Card card, const Viewport& viewport);
// The status line (and a notice under it) at the top left.
void addStatusLine(Overlay& overlay, const std::string& text, const std::string& notice, const Viewport& viewport);

}  // namespace cog
