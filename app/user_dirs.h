#pragma once
// Where the player's own files go, by the XDG base directory rules.

#include <string>

namespace cog {

// `$VARIABLE/cogstorm/NAME` when the variable holds an absolute path (a
// relative one is ignored, as the rules say), else
// `$HOME/HOME_FOLDER/cogstorm/NAME`; empty when neither is set.
// E.g. userFile("XDG_CONFIG_HOME", ".config", "settings.toml").
std::string userFile(const char* variable, const char* homeFolder, const char* name);

}  // namespace cog
