// Pause, cards, status line, notices, title and mouse turning around the game in its window.
#include "app/play_shell.h"

#include <algorithm>
#include <cmath>

#include "app/how_to_play.h"
#include "game/keys.h"
#include "render/overlay_font.h"

namespace cog {

namespace {

constexpr float kDegreesPerTurn = 3.0f;  // one turn key

const ColorValue kText{0.92f, 0.92f, 0.86f, 1.0f};
const ColorValue kHeading{1.0f, 0.78f, 0.25f, 1.0f};
const ColorValue kPanel{0.02f, 0.03f, 0.05f, 0.82f};
const ColorValue kStatusBack{0.0f, 0.0f, 0.0f, 0.55f};

// Screen pixels per font pixel: 2 in the game's 512-pixel window.
float textScale(const Viewport& viewport) {
  const uint32_t side = std::min(viewport.width, viewport.height);
  return std::max(1.0f, std::floor(static_cast<float>(side) / 256.0f));
}

struct CardLine {
  std::string text;
  ColorValue colour;
  bool centred = false;
};

std::vector<CardLine> cardLines(Card card, size_t columns) {
  std::vector<CardLine> lines;
  if (card == Card::HowToPlay) {
    lines.push_back({"HOW TO PLAY", kHeading, true});
    lines.push_back({"", kText});
    for (const std::string& l : wrapWords(kHowToPlayGoal, columns)) lines.push_back({l, kText});
    for (const std::string& l : wrapWords(kHowToPlayRule, columns)) lines.push_back({l, kText});
    lines.push_back({"", kText});
    for (const KeyHelp& k : keyHelp()) {
      std::string line = k.keys;
      line.resize(std::max<size_t>(line.size() + 1, 13), ' ');
      lines.push_back({line + k.action, kText});
    }
    lines.push_back({"", kText});
    lines.push_back({"Press any key to play", kHeading, true});
  } else if (card == Card::Paused) {
    lines.push_back({"PAUSED", kHeading, true});
    lines.push_back({"", kText});
    lines.push_back({"P or Pause   resume", kText});
    lines.push_back({"Esc or Q     quit", kText});
    lines.push_back({"F1           how to play", kText});
    lines.push_back({"Guide        resume (controller)", kText});
  }
  return lines;
}

}  // namespace

GameStatus statusOf(const Game& game) {
  GameStatus s;
  for (const Actor& robot : game.actors.robots) s.robotsLeft += robot.alive != 0 ? 1 : 0;
  s.frozen = game.shell.robotsFrozen != 0;
  s.musicOff = game.audio.musicPlaying == 0;
  s.xray = game.drawFlags.xrayMode != 0;
  s.gameOver = game.sim.gameOver != 0;
  return s;
}

std::string statusText(const GameStatus& status, bool paused) {
  std::string text;
  if (status.gameOver)
    text = status.robotsLeft == 0 ? "You won! N: new game" : "Caught! N: new game";
  else
    text = std::to_string(status.robotsLeft) + (status.robotsLeft == 1 ? " robot left" : " robots left");
  if (status.frozen) text += " - frozen";
  text += status.musicOff ? " - music off" : " - music on";
  if (status.xray) text += " - x-ray";
  if (paused) text += " - paused";
  return text;
}

std::string windowTitle(const GameStatus& status, bool paused) {
  std::string title = "Cogstorm! - ";
  if (status.gameOver)
    title += status.robotsLeft == 0 ? "won" : "caught";
  else
    title += std::to_string(status.robotsLeft) + (status.robotsLeft == 1 ? " robot left" : " robots left");
  if (status.frozen) title += " - frozen";
  if (status.musicOff) title += " - music off";
  if (status.xray) title += " - x-ray";
  if (paused) title += " - paused";
  return title;
}

void addCard(Overlay& overlay, Card card, const Viewport& viewport) {
  if (card == Card::None) return;
  float scale = textScale(viewport);
  const float margin = 2.0f * kGlyphAdvance;  // in font pixels, each side
  const auto columnsAt = [&](float s) {
    const float fit = (static_cast<float>(viewport.width) / s - 2.0f * margin) / kGlyphAdvance;
    return static_cast<size_t>(std::clamp(fit, 16.0f, 46.0f));
  };
  std::vector<CardLine> lines = cardLines(card, columnsAt(scale));
  size_t widest = 0;
  for (const CardLine& l : lines) widest = std::max(widest, l.text.size());
  // Smaller text when the widest line would not fit.
  while (scale > 1.0f && (static_cast<float>(widest) * kGlyphAdvance + 2.0f * margin) * scale >
                             static_cast<float>(viewport.width))
    scale -= 1.0f;
  const float pad = margin * scale * 0.5f;
  const float width = textWidth(std::string(widest, 'x'), scale) + 2.0f * pad;
  const float height = static_cast<float>(lines.size()) * kLineAdvance * scale - 2.0f * scale + 2.0f * pad;
  const float left = std::floor((static_cast<float>(viewport.width) - width) / 2.0f);
  const float top = std::floor(std::max(0.0f, (static_cast<float>(viewport.height) - height) / 2.0f));
  overlay.boxes.push_back({left, top, width, height, kPanel});
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].text.empty()) continue;
    // Headings are centred; the rest start at the panel's left.
    const float x = lines[i].centred ? std::floor(left + (width - textWidth(lines[i].text, scale)) / 2.0f) : left + pad;
    overlay.texts.push_back(
        {lines[i].text, x, top + pad + static_cast<float>(i) * kLineAdvance * scale, scale, lines[i].colour});
  }
}

void addStatusLine(Overlay& overlay, const std::string& text, const std::string& notice, const Viewport& viewport) {
  const float scale = textScale(viewport);
  float y = scale * 2.0f;
  for (const std::string* line : {&text, &notice}) {
    if (line->empty()) continue;
    const float width = textWidth(*line, scale);
    overlay.boxes.push_back({0.0f, y - scale * 2.0f, width + scale * 4.0f, scale * (kGlyphHeight + 4), kStatusBack});
    overlay.texts.push_back({*line, scale * 2.0f, y, scale, line == &notice ? kHeading : kText});
    y += scale * (kGlyphHeight + 4);
  }
}

PlayShell::PlayShell(const PresentationOptions& options) : options_(options) {
  if (options_.classic) {
    options_.showHowToPlay = false;
    options_.statusLine = false;
    options_.mouseTurning = false;
  }
  statusLine_ = options_.statusLine;
  if (options_.showHowToPlay) {
    card_ = Card::HowToPlay;
    redraw_ = true;
  }
}

Card PlayShell::card() const {
  if (card_ == Card::HowToPlay) return Card::HowToPlay;
  return paused_ ? Card::Paused : Card::None;
}

void PlayShell::pause() {
  if (!paused_) redraw_ = true;
  paused_ = true;
  mouseCaptured_ = false;
}

void PlayShell::dismissHowToPlay() {
  card_ = Card::None;
  redraw_ = true;
}

bool PlayShell::signal(WindowSignal signal) {
  if (options_.classic) {
    // Only Escape, and it closes the window as soon as it comes up.
    if (signal == WindowSignal::Escape) quitOnRelease_ = true;
    return signal == WindowSignal::KeyReleased && quitOnRelease_;
  }
  const bool howTo = card_ == Card::HowToPlay;
  switch (signal) {
    case WindowSignal::Escape:
      mouseCaptured_ = false;
      if (howTo)
        dismissHowToPlay();
      else if (paused_)
        quitOnRelease_ = true;  // quit once the key is up
      else
        pause();
      return false;
    case WindowSignal::Quit:
      if (howTo)
        dismissHowToPlay();
      else
        quitOnRelease_ = true;
      return false;
    case WindowSignal::KeyReleased:
      return quitOnRelease_;
    case WindowSignal::Pause:
      if (howTo) {
        dismissHowToPlay();
      } else if (paused_) {
        paused_ = false;
        redraw_ = true;
      } else {
        pause();
      }
      return false;
    case WindowSignal::Help:
      if (howTo)
        dismissHowToPlay();
      else
        card_ = Card::HowToPlay;
      mouseCaptured_ = false;
      redraw_ = true;
      return false;
    case WindowSignal::StatusLine:
      if (howTo) {
        dismissHowToPlay();
      } else {
        statusLine_ = !statusLine_;
        redraw_ = true;
      }
      return false;
    case WindowSignal::OtherKey:
      if (howTo) dismissHowToPlay();
      return false;
    case WindowSignal::FocusLost:
    case WindowSignal::Hidden:
      pause();
      return false;
    case WindowSignal::ControllerRemoved:
      pause();
      notice("controller unplugged");
      return false;
    case WindowSignal::ControllerAdded:
      notice("controller connected");
      return false;
    case WindowSignal::Exposed:
      redraw_ = true;
      return false;
    case WindowSignal::MouseClick:
      if (howTo) dismissHowToPlay();
      return false;
  }
  return false;
}

bool PlayShell::letThrough(uint32_t code) {
  (void)code;
  if (options_.classic) return true;
  if (card_ == Card::HowToPlay) {
    dismissHowToPlay();  // any key
    return false;
  }
  return !paused_;
}

bool PlayShell::clickFires() {
  if (!options_.mouseTurning || paused()) return false;
  if (!mouseCaptured_) {
    mouseCaptured_ = true;
    turnDegrees_ = 0.0f;
    return false;
  }
  return true;
}

std::vector<uint32_t> PlayShell::mouseMoved(int dx) {
  std::vector<uint32_t> presses;
  if (!mouseCaptured_ || paused()) return presses;
  turnDegrees_ += static_cast<float>(dx) * options_.mouseDegreesPerPixel;
  for (; turnDegrees_ >= kDegreesPerTurn; turnDegrees_ -= kDegreesPerTurn) presses.push_back(static_cast<uint32_t>(kKeyRight));
  for (; turnDegrees_ <= -kDegreesPerTurn; turnDegrees_ += kDegreesPerTurn) presses.push_back(static_cast<uint32_t>(kKeyLeft));
  return presses;
}

bool PlayShell::takeRedraw() {
  const bool r = redraw_;
  redraw_ = false;
  return r;
}

void PlayShell::notice(const std::string& text) {
  if (options_.classic) return;
  notice_ = text;
  noticeFrames_ = kNoticeFrames;
  redraw_ = true;
}

void PlayShell::frame() {
  if (noticeFrames_ > 0 && --noticeFrames_ == 0) {
    notice_.clear();
    redraw_ = true;
  }
}

std::string PlayShell::title(const GameStatus& status) const {
  if (options_.classic) return "Cogstorm!";
  // The held mouse says how to get it back, as a held pointer should.
  return windowTitle(status, paused()) + (mouseCaptured_ ? " - Esc frees the mouse" : "");
}

Overlay PlayShell::overlay(const GameStatus& status, const Viewport& viewport) const {
  Overlay overlay;
  if (options_.classic) return overlay;
  if (statusLine_ || !notice_.empty())
    addStatusLine(overlay, statusLine_ ? statusText(status, paused()) : std::string(), notice_, viewport);
  addCard(overlay, card(), viewport);
  return overlay;
}

}  // namespace cog
