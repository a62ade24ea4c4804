#include "app/timedemo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace cog {

namespace {

// The nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double p) {
  const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

std::string timedemoSummary(const std::vector<double>& frameMs) {
  if (frameMs.empty()) return "timedemo: 0 frames";
  std::vector<double> sorted = frameMs;
  std::sort(sorted.begin(), sorted.end());
  const double total = std::accumulate(sorted.begin(), sorted.end(), 0.0);
  const double fps = total > 0.0 ? 1000.0 * static_cast<double>(sorted.size()) / total : 0.0;
  char line[160];
  std::snprintf(line, sizeof line, "timedemo: %zu frames, %.1f fps, median %.2f ms, 95th percentile %.2f ms",
                sorted.size(), fps, percentile(sorted, 50.0), percentile(sorted, 95.0));
  return line;
}

}  // namespace cog
