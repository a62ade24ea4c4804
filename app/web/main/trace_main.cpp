// The game's simulation in WebAssembly under Node: a headless run writing
// the trace, to hold the browser build to native's traces.
//   node cogstorm-trace.js --data DIR --ticks N [--input FILE] [--trace FILE]
// Paths are the machine's own (Node's file system). Exit codes as the game's.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/key_script.h"
#include "app/web/web_run.h"
#include "audio/rec/silent_engine.h"
#include "platform/output_file.h"
#include "render/rec/recording_device.h"

namespace cog {
namespace {

constexpr const char* kUsage = "usage: cogstorm-trace --data DIR --ticks N [--input FILE] [--trace FILE]\n";

std::string fromStart(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char here[4096];
  return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

int run(int argc, char** argv) {
  std::string data, input, tracePath;
  long long ticks = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      std::cerr << kUsage;
      return 2;
    }
    const std::string value = argv[++i];
    if (arg == "--data") {
      data = value;
    } else if (arg == "--input") {
      input = fromStart(value);
    } else if (arg == "--trace") {
      tracePath = fromStart(value);
    } else if (arg == "--ticks") {
      char* end = nullptr;
      ticks = std::strtoll(value.c_str(), &end, 10);
      if (*end != '\0' || ticks < 0) ticks = -1;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (data.empty() || ticks < 0) {
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  std::vector<KeyPress> script;
  if (!input.empty() && !readKeyScript(input, script, error)) {
    std::cerr << "cogstorm: " << error << '\n';
    return 1;
  }
  OutputFile trace("the trace");
  if (!tracePath.empty()) {
    if (Status s = trace.open(tracePath); !s) {
      std::cerr << "cogstorm: " << s.message() << '\n';
      return 1;
    }
  }
  if (chdir(data.c_str()) != 0) {
    std::cerr << "cogstorm: " << data << ": cannot use the level folder: " << std::strerror(errno) << '\n';
    return 1;
  }
  RecordingDevice device;
  device.setRecording(false);
  SilentAudioEngine engine;
  engine.setRecording(false);
  std::unique_ptr<WebRun> game = WebRun::start(device, engine, engine, std::move(script), true, error);
  if (!game) {
    std::cerr << "cogstorm: " << error << '\n';
    return 1;
  }
  std::string line;
  for (long long t = 0; t < ticks; ++t) {
    game->tick(trace.isOpen() ? &line : nullptr);
    if (trace.isOpen()) {
      line += '\n';
      if (Status s = trace.write(line); !s) {
        std::cerr << "cogstorm: " << s.message() << '\n';
        return 1;
      }
    }
  }
  game.reset();
  if (Status s = trace.close(); !s) {
    std::cerr << "cogstorm: " << s.message() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace cog

int main(int argc, char** argv) { return cog::run(argc, argv); }
