#pragma once
// Reading a whole file into memory, with a size limit checked before
// anything is allocated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cog {

// Reads the regular file `path` into `bytes`. False, with `error` naming the
// file, when it cannot be opened or read, is not a regular file, or is larger
// than `maxBytes` ("file ... is too large for <what>").
bool readFileBytes(const std::string& path, size_t maxBytes, const char* what, std::vector<uint8_t>& bytes,
                   std::string& error);

}  // namespace cog
