#pragma once
// Pictures of a headless run: the last frame as one PNG file, and/or every
// K-th frame as a numbered series in a folder.

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

struct ScreenshotOptions {
  std::string lastFrame;  // FILE.png for the last tick's frame; empty: none
  int64_t every = 0;      // K: every K-th tick goes to `seriesDir`; 0: none
  std::string seriesDir;

  bool any() const { return !lastFrame.empty() || every > 0; }
};

class FrameShots {
 public:
  FrameShots(ScreenshotOptions options, int64_t lastTick);

  // Makes the series folder; false with `error` when it cannot be made.
  bool prepare(std::string& error);
  // Whether tick `tick`'s frame is written.
  bool wants(int64_t tick) const;
  // Writes tick `tick`'s frame (RGBA rows, top first) where it belongs.
  bool write(int64_t tick, int width, int height, const std::vector<uint8_t>& rgba, std::string& error) const;

  // The file of tick `tick` in the series: DIR/frame-000042.png.
  std::string seriesFile(int64_t tick) const;

 private:
  ScreenshotOptions options_;
  int64_t lastTick_;
};

}  // namespace cog
