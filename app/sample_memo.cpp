// The window's sample memo on disk: read leniently, written whole through a temporary file.
#include "app/sample_memo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace cog {

namespace fs = std::filesystem;

std::string defaultSampleMemoPath() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return (fs::path(cache) / "cogstorm" / "gl-samples.txt").string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return (fs::path(home) / ".cache" / "cogstorm" / "gl-samples.txt").string();
  return {};
}

GlSampleMemo readSampleMemo(const std::string& path) {
  GlSampleMemo memo;
  if (path.empty()) return memo;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  // Lines are read a bounded piece at a time: a file that is not ours
  // (one long line, no line ends) costs nothing.
  char piece[kSampleMemoLineLength + 2];
  while (memo.inexact.size() < kSampleMemoLines && in.getline(piece, sizeof piece)) {
    line = piece;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#' || line.size() > kSampleMemoLineLength) continue;
    memo.inexact.push_back(line);
  }
  return memo;
}

bool writeSampleMemo(const std::string& path, const GlSampleMemo& memo) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << "# The GLs on this machine that do not give Cogstorm's window 2 samples per pixel\n"
           "# exactly; the game opens them without multisampling at once. Delete to ask again.\n";
    // The newest last; the oldest go when there are too many.
    const size_t from = memo.inexact.size() > kSampleMemoLines ? memo.inexact.size() - kSampleMemoLines : 0;
    for (size_t i = from; i < memo.inexact.size(); ++i)
      if (memo.inexact[i].size() <= kSampleMemoLineLength && memo.inexact[i].find('\n') == std::string::npos)
        out << memo.inexact[i] << '\n';
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      return false;
    }
  }
  fs::rename(temporary, path, ec);
  if (ec) fs::remove(temporary, ec);
  return !ec;
}

}  // namespace cog
