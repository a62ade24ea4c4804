// Fuzzes the level loader: the input is the five level files in order,
// "Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt", separated
// by NUL bytes (missing trailing files are empty). The files are served from
// memory and textures are made without reading images, so everything from
// the lexical rules to the model trees, the room graph and the reset runs
// on every input.

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/level_start.h"
#include "level/level_data.h"
#include "level/model.h"
#include "level/text_reader.h"
#include "support/test_device.h"

namespace cog {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The tests' device: textures from names alone, "missing.bmp" refused.
  TestDevice dev;
  dev.setRecording(false);
  dev.refuseTexture = "missing.bmp";
  Game game;
  game.device = &dev;

  const char* const names[5] = {"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"};
  std::string files[5];
  int file = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      if (++file == 5) break;
    } else {
      files[file] += static_cast<char>(data[i]);
    }
  }

  const Status status = game.startLevelFrom(
      [&](const std::string& fileName, TextReader& reader) {
        for (int i = 0; i < 5; ++i)
          if (fileName == names[i]) {
            reader = TextReader(fileName, files[i]);
            return true;
          }
        reader = TextReader(fileName, "");
        return reader.failFile("the file is missing");
      });
  // Every failure says what went wrong.
  if (!status.ok() && status.message().empty()) __builtin_trap();
  if (status.ok() && !status.message().empty()) __builtin_trap();
  return 0;
}

}  // namespace cog
