#pragma once
// The GLs that did not grant the game's samples exactly, kept between runs
// in $XDG_CACHE_HOME/cogstorm/gl-samples.txt (else ~/.cache/...), one per
// line, so a start on such a GL (the window, a headless run's surface,
// --gl-info) opens it plain at once. A cache: a missing, unreadable or odd
// file is as good as an empty one, and deleting it only makes the next
// start ask again.

#include <cstddef>
#include <string>

#include "platform/gl_attributes.h"

namespace cog {

// The file's place; empty when neither XDG_CACHE_HOME (absolute) nor HOME is set.
std::string defaultSampleMemoPath();

// What `path` remembers: its first kSampleMemoLines lines that are neither
// comments nor longer than kSampleMemoLineLength; nothing from a file
// larger than kSampleMemoBytes.
GlSampleMemo readSampleMemo(const std::string& path);

// Keeps `memo` at `path` (its folder made when missing), whole or not at
// all; false when it could not be written.
bool writeSampleMemo(const std::string& path, const GlSampleMemo& memo);

constexpr size_t kSampleMemoLines = 16;
constexpr size_t kSampleMemoLineLength = 512;
constexpr size_t kSampleMemoBytes = 64 * 1024;

}  // namespace cog
