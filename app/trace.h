#pragma once
// The trace of a run: one JSON object per tick, on its own line, with the
// player, the robots, the shot, the effects started and the music state.

#include <cstdint>
#include <string>

#include "game/game.h"
#include "platform/output_file.h"

namespace cog {

// Appends the trace line of tick `tick` (without the newline) to `out`.
// Reads the effects started since the last line; the caller clears them.
void appendTraceLine(std::string& out, const Game& game, int64_t tick);

// A trace file: opened before the first tick, one line written after each.
class TraceFile {
 public:
  TraceFile() = default;

  // False with `error` naming the file when it cannot be created.
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return file_.isOpen(); }
  // Writes the line of tick `tick`; false with `error` when it cannot.
  bool write(const Game& game, int64_t tick, std::string& error);
  // Flushes and closes; false with `error` when the data did not all reach
  // the file.
  bool close(std::string& error);

 private:
  OutputFile file_{"the trace"};
  std::string line_;
};

}  // namespace cog
