#pragma once
// A recording of the keys played in the window, written as a key script
// ("TICK CODE" lines, see app/key_script.h) that a headless run replays to
// the same trace.

#include <cstdint>
#include <string>

#include "platform/output_file.h"

namespace cog {

class KeyRecording {
 public:
  KeyRecording() = default;

  // Creates the file; false with `error` naming it when it cannot.
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return file_.isOpen(); }
  // Notes that `code` was pressed just before tick `tick`; false with
  // `error` when it cannot be written.
  bool write(int64_t tick, uint32_t code, std::string& error);
  // Flushes and closes; false with `error` when the data did not all reach
  // the file.
  bool close(std::string& error);

 private:
  OutputFile file_{"the key recording"};
};

}  // namespace cog
