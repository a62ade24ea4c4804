#include "app/tick_count.h"

namespace cog {

std::string readTickCount(const std::string& text, int64_t& count) {
  const std::string expected = "expected a whole number of ticks (0 to " + std::to_string(kMaxTickCount) + "), got \"" +
                               text.substr(0, 40) + (text.size() > 40 ? "..." : "") + "\"";
  size_t i = !text.empty() && text[0] == '+' ? 1 : 0;
  if (i == text.size()) return expected;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return expected;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (static_cast<uint64_t>(kMaxTickCount) - digit) / 10) return expected;
    value = value * 10 + digit;
  }
  count = static_cast<int64_t>(value);
  return "";
}

}  // namespace cog
