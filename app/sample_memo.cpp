// The window's sample memo on disk: read leniently, written whole through a temporary file.
#include "app/sample_memo.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/file_bytes.h"

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
  std::vector<uint8_t> bytes;
  std::string error;
  if (path.empty() || !readFileBytes(path, kSampleMemoBytes, "the GL sample memo", bytes, error)) return memo;
  const std::string text(bytes.begin(), bytes.end());
  size_t from = 0;
  while (from < text.size() && memo.inexact.size() < kSampleMemoLines) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    from = end + 1;
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
  if (!ec) return true;
  fs::remove(temporary, ec);
  return false;
}

}  // namespace cog
