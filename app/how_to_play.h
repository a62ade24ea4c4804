#pragma once
// How to play, in one place: the card on the first start and on F1, and
// the same words in `--help` (the README and the man page carry them too).

#include <string>
#include <vector>

namespace cog {

constexpr const char* kHowToPlayGoal = "Destroy the seven robots before one reaches you.";
constexpr const char* kHowToPlayRule =
    "Robots walk only while they can see you: crates are cover, and your shots fly over them.";

struct KeyHelp {
  const char* keys;    // by name
  const char* action;
  const char* codes;   // the game's key codes; empty for the keys around the game
};

// The keys by name, the game's first, then those around it.
const std::vector<KeyHelp>& keyHelp();

// The words of `--help` after the options: the goal, the rule, the keys
// by name with their codes after.
std::string howToPlayHelpText();

// `text` broken at spaces into lines of at most `columns` characters.
std::vector<std::string> wrapWords(const std::string& text, size_t columns);

}  // namespace cog
