#include "app/shipped_level.h"

#include <filesystem>

#include "platform/program_path.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

std::string besideProgram(const char* relative) {
  const std::string folder = programFolder();
  if (folder.empty()) return {};
  return (fs::path(folder) / relative).lexically_normal().string();
}

}  // namespace

std::vector<std::string> shippedLevelFolders() {
  std::vector<std::string> folders;
  for (const char* relative : {COGSTORM_LEVEL_FROM_INSTALLED_PROGRAM, COGSTORM_LEVEL_FROM_BUILD_PROGRAM}) {
    std::string folder = besideProgram(relative);
    if (!folder.empty()) folders.push_back(std::move(folder));
  }
  return folders;
}

std::string installedLevelFolder() {
  const std::string folder = besideProgram(COGSTORM_LEVEL_FROM_INSTALLED_PROGRAM);
  return folder.empty() ? std::string(COGSTORM_SHIPPED_LEVEL_INSTALL) : folder;
}

}  // namespace cog
