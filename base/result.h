#pragma once
// Status values of start-up operations (loading, device set-up), with the
// numbers the game knows them by.

#include <cstdint>

namespace cog {

constexpr int32_t kOk = 0;
constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);

}  // namespace cog
