// The how-to-play words: the goal, the rule of every game, the keys.
#include "app/how_to_play.h"

#include <sstream>

namespace cog {

const std::vector<KeyHelp>& keyHelp() {
  static const std::vector<KeyHelp> keys{
      {"Up / Down", "walk forward / back", "38 / 40"},
      {"Left / Right", "turn (or move the mouse)", "37 / 39"},
      {"V / B", "side-step left / right", "86 / 66"},
      {"Space", "fire (or a left click)", "32"},
      {"I", "freeze the robots", "73"},
      {"M", "music off / on", "77"},
      {"T", "x-ray view", "84"},
      {"N", "new game", "78"},
      {"P", "pause / resume", ""},
      {"Esc", "pause; again: quit", ""},
      {"Tab", "status line", ""},
      {"F1", "how to play", ""},
      {"F11", "fullscreen", ""},
  };
  return keys;
}

std::string howToPlayHelpText() {
  std::ostringstream out;
  out << "How to play:\n  " << kHowToPlayGoal << "\n  " << kHowToPlayRule << "\n";
  out << "\nKeys (game key codes after the names):\n";
  for (const KeyHelp& k : keyHelp()) {
    std::string line = std::string("  ") + k.keys;
    line.resize(16, ' ');
    line += k.action;
    if (k.codes[0] != '\0') {
      line.resize(44, ' ');
      line += std::string("code ") + k.codes;
    }
    out << line << "\n";
  }
  out << "  A click in the window turns with the mouse; Esc, pause or leaving the window lets it go.\n"
         "  Game controllers: the pad and left stick walk and turn, A fires, Guide pauses.\n";
  return out.str();
}

std::vector<std::string> wrapWords(const std::string& text, size_t columns) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string line;
  for (std::string word; words >> word;) {
    if (!line.empty() && line.size() + 1 + word.size() > columns) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace cog
