// The XDG base directory rules for the player's files.
#include "app/user_dirs.h"

#include <cstdlib>
#include <filesystem>

namespace cog {

std::string userFile(const char* variable, const char* homeFolder, const char* name) {
  namespace fs = std::filesystem;
  const char* base = std::getenv(variable);
  if (base != nullptr && base[0] == '/') return (fs::path(base) / "cogstorm" / name).string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return (fs::path(home) / homeFolder / "cogstorm" / name).string();
  return {};
}

}  // namespace cog
