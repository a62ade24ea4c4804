#pragma once
// The level shipped with the program: beside the program in its build
// folder, under share/cogstorm/ once installed. Both are found relative to
// the program, so any install prefix works and the tree can be moved.

#include <string>
#include <vector>

namespace cog {

// The folders the shipped level may be in, in the order they are tried.
std::vector<std::string> shippedLevelFolders();

// Where an installed program keeps its level, for messages.
std::string installedLevelFolder();

}  // namespace cog
