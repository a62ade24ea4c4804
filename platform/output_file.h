#pragma once
// A file written by a run (trace, key recording, sound): created at the
// start, closed when its owner goes, and every failure said the same way,
// "PATH: cannot write WHAT: REASON".

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/status.h"

namespace cog {

class OutputFile {
 public:
  // `what` names the contents in messages ("the trace").
  explicit OutputFile(std::string what) : what_(std::move(what)) {}

  // Creates (or empties) `path`.
  Status open(const std::string& path);
  bool isOpen() const { return file_ != nullptr; }
  Status write(const void* data, size_t size);
  Status write(const std::string& text) { return write(text.data(), text.size()); }
  // Overwrites `size` bytes at `offset` from the start (a header written
  // last); the next write goes where that one ended.
  Status writeAt(uint64_t offset, const void* data, size_t size);
  // Flushes and closes; a failure when the data did not all reach the file.
  // Closing a file that is not open is ok.
  Status close();
  // The failure message for the error number `err`.
  Status failure(int err) const;

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string what_;
  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
};

// Writes `text` to `path` whole or not at all: into "PATH.new" first, then
// renamed over `path`, its folder made when missing. A failure says
// "PATH: cannot write WHAT: REASON", or "FOLDER: cannot make the folder
// for WHAT: REASON", and leaves no "PATH.new" behind.
Status writeWholeFile(const std::string& path, const std::string& text, const std::string& what);

// For callers that report as `bool` plus a message: false with the
// message in `error` when `status` failed.
inline bool reportInto(const Status& status, std::string& error) {
  if (!status) error = status.message();
  return status.ok();
}

}  // namespace cog
