#pragma once
// The count given to --ticks: a whole number of ticks, 0 or more, that fits
// the 64-bit counter the runs keep.

#include <cstdint>
#include <string>

namespace cog {

// The largest count --ticks takes.
constexpr int64_t kMaxTickCount = INT64_MAX;

// Reads the count in `text`: decimal digits with an optional leading "+"
// ("010" is ten), at most kMaxTickCount. "" with `count` set, else what is
// wrong, for the message "--ticks: ...".
std::string readTickCount(const std::string& text, int64_t& count);

}  // namespace cog
