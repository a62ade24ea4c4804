#include "app/screenshot.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/png_write.h"

namespace cog {

FrameShots::FrameShots(ScreenshotOptions options, int64_t lastTick)
    : options_(std::move(options)), lastTick_(lastTick) {}

bool FrameShots::prepare(std::string& error) {
  if (options_.every <= 0) return true;
  std::error_code ec;
  std::filesystem::create_directories(options_.seriesDir, ec);
  if (ec || !std::filesystem::is_directory(options_.seriesDir, ec)) {
    error = options_.seriesDir + ": cannot make the folder for the screenshots" + (ec ? ": " + ec.message() : "");
    return false;
  }
  return true;
}

bool FrameShots::wants(int64_t tick) const {
  return (!options_.lastFrame.empty() && tick == lastTick_) || (options_.every > 0 && tick % options_.every == 0);
}

std::string FrameShots::seriesFile(int64_t tick) const {
  char name[40];
  std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(tick));
  return (std::filesystem::path(options_.seriesDir) / name).string();
}

bool FrameShots::write(int64_t tick, int width, int height, const std::vector<uint8_t>& rgba,
                       std::string& error) const {
  if (!options_.lastFrame.empty() && tick == lastTick_ && !writePng(options_.lastFrame, width, height, rgba, error))
    return false;
  if (options_.every > 0 && tick % options_.every == 0 && !writePng(seriesFile(tick), width, height, rgba, error))
    return false;
  return true;
}

}  // namespace cog
