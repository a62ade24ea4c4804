#pragma once
// The GLs that did not grant the window's samples exactly, kept between
// runs in $XDG_CACHE_HOME/cogstorm/gl-samples.txt (else ~/.cache/...), one
// per line, so a start on such a GL opens its plain window at once. A
// cache: a missing, unreadable or odd file is as good as an empty one, and
// deleting it only makes the next start ask again.

#include <string>

#include "platform/gl_attributes.h"

namespace cog {

// The file's place; empty when neither XDG_CACHE_HOME (absolute) nor HOME is set.
std::string defaultSampleMemoPath();

// What `path` remembers: its lines that are not comments, at most
// kSampleMemoLines of them, none longer than kSampleMemoLineLength.
GlSampleMemo readSampleMemo(const std::string& path);

// Keeps `memo` at `path` (its folder made when missing), whole or not at
// all; false when it could not be written.
bool writeSampleMemo(const std::string& path, const GlSampleMemo& memo);

constexpr size_t kSampleMemoLines = 16;
constexpr size_t kSampleMemoLineLength = 512;

}  // namespace cog
