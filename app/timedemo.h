#pragma once
// The timedemo: a key script played as fast as frames can be drawn, each
// frame timed from its clear to the end of its present.

#include <chrono>
#include <string>
#include <vector>

namespace cog {

class FrameTimer {
 public:
  void start() { begin_ = Clock::now(); }
  void stop() { frameMs_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin_).count()); }
  const std::vector<double>& frameMs() const { return frameMs_; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point begin_;
  std::vector<double> frameMs_;
};

// "timedemo: 300 frames, 250.0 fps, median 3.91 ms, 95th percentile 4.80 ms":
// frames per second over the sum of the frame times; the percentiles are
// the frame times at those ranks (nearest rank).
std::string timedemoSummary(const std::vector<double>& frameMs);

}  // namespace cog
