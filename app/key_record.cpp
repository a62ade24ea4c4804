// The key recording: the keys played in the window, written as a key script.
#include "app/key_record.h"

#include <cinttypes>
#include <cstdio>

namespace cog {

bool KeyRecording::open(const std::string& path, std::string& error) {
  Status status = file_.open(path);
  if (status) status = file_.write(std::string("# Cogstorm keys: TICK CODE, pressed just before that tick\n"));
  return reportInto(status, error);
}

bool KeyRecording::write(int64_t tick, uint32_t code, std::string& error) {
  char line[48];
  const int n = std::snprintf(line, sizeof line, "%" PRId64 " %" PRIu32 "\n", tick, code);
  return reportInto(file_.write(line, static_cast<size_t>(n)), error);
}

bool KeyRecording::close(std::string& error) { return reportInto(file_.close(), error); }

}  // namespace cog
