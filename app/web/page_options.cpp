#include "app/web/page_options.h"

#include <cstdlib>

namespace cog {

bool parsePageArguments(const std::vector<std::string>& args, PageOptions& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--unpaced") {
      options.unpaced = true;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--mute") {
      options.mute = true;
    } else if ((arg == "--input" || arg == "--ticks" || arg == "--aspect") && i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (arg == "--input") {
        options.inputPath = value;
        continue;
      }
      if (arg == "--aspect") {
        if (value == "keep") {
          options.aspect = AspectMode::Keep;
        } else if (value == "stretch") {
          options.aspect = AspectMode::Stretch;
        } else if (value == "wide") {
          options.aspect = AspectMode::Wide;
        } else {
          error = "aspect=" + value + " is not an aspect mode: keep, stretch or wide";
          return false;
        }
        continue;
      }
      char* end = nullptr;
      const long long ticks = std::strtoll(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || ticks < 0) {
        error = "ticks=" + value + " is not a count of ticks";
        return false;
      }
      options.ticks = ticks;
    } else {
      error = "unknown page option " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace cog
