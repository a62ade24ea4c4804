#include "platform/program_path.h"

#include <filesystem>

namespace cog {

std::string programFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !self.is_absolute()) return {};
  return self.parent_path().string();
}

}  // namespace cog
