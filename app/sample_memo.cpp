// The GL sample memo on disk: read leniently, written whole through a temporary file.
#include "app/sample_memo.h"

#include <vector>

#include "app/user_dirs.h"
#include "platform/file_bytes.h"
#include "platform/output_file.h"

namespace cog {

std::string defaultSampleMemoPath() { return userFile("XDG_CACHE_HOME", ".cache", "gl-samples.txt"); }

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
  std::string text =
      "# The GLs on this machine that do not give Cogstorm 2 samples per pixel\n"
      "# exactly; the game opens them without multisampling at once. Delete to ask again.\n";
  // The newest last; the oldest go when there are too many.
  const size_t from = memo.inexact.size() > kSampleMemoLines ? memo.inexact.size() - kSampleMemoLines : 0;
  for (size_t i = from; i < memo.inexact.size(); ++i)
    if (memo.inexact[i].size() <= kSampleMemoLineLength && memo.inexact[i].find('\n') == std::string::npos)
      text += memo.inexact[i] + '\n';
  return writeWholeFile(path, text, "the GL sample memo").ok();
}

}  // namespace cog
