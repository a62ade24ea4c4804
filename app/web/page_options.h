#pragma once
// What the page was asked for, from its address (index.html?input=URL&
// ticks=N&unpaced=1&trace=1&mute=1): the page's script fetches the key
// script and passes the rest to the program as arguments.

#include <cstdint>
#include <string>
#include <vector>

#include "render/picture_layout.h"

namespace cog {

struct PageOptions {
  std::string inputPath;  // the fetched key script in the page's file system; empty: none
  int64_t ticks = 0;      // stop after this many ticks; 0: never (unpaced: at the script's end)
  bool unpaced = false;   // one tick each frame, as --timedemo runs
  bool trace = false;     // each tick's trace line on the console
  bool mute = false;
  AspectMode aspect = AspectMode::Keep;  // aspect=stretch|keep|wide, as the window's --aspect
};

// Reads --input PATH, --ticks N, --aspect MODE, --unpaced, --trace and --mute. False with
// `error` on anything else.
bool parsePageArguments(const std::vector<std::string>& args, PageOptions& options, std::string& error);

}  // namespace cog
