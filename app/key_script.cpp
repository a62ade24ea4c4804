#include "app/key_script.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace cog {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Reads a decimal number without sign at `p`; false if there is none or it
// is too long to be a tick.
bool readNumber(const char*& p, int64_t& value) {
  if (*p < '0' || *p > '9') return false;
  value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value > (INT64_MAX - 9) / 10) return false;
    value = value * 10 + (*p - '0');
    ++p;
  }
  return true;
}

}  // namespace

bool readKeyScript(const std::string& path, std::vector<KeyPress>& presses, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the key script: " + std::strerror(errno);
    return false;
  }
  presses.clear();
  std::string line;
  int64_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const char* p = line.c_str();
    while (isBlank(*p)) ++p;
    if (*p == '\0' || *p == '#') continue;
    if (line.find('\0') != std::string::npos) {
      error = path + ":" + std::to_string(lineNumber) + ": expected \"TICK CODE\", found a NUL byte";
      return false;
    }
    int64_t tick = 0, code = 0;
    const char* start = p;
    bool ok = readNumber(p, tick) && isBlank(*p);
    while (ok && isBlank(*p)) ++p;
    ok = ok && readNumber(p, code);
    while (ok && isBlank(*p)) ++p;
    ok = ok && *p == '\0';
    if (!ok) {
      error = path + ":" + std::to_string(lineNumber) + ": expected \"TICK CODE\", found \"" + start + "\"";
      return false;
    }
    if (tick < 1) {
      error = path + ":" + std::to_string(lineNumber) + ": tick " + std::to_string(tick) + " is before tick 1";
      return false;
    }
    if (code > 255) {
      error = path + ":" + std::to_string(lineNumber) + ": key code " + std::to_string(code) +
              " is out of range (0-255)";
      return false;
    }
    presses.push_back({tick, static_cast<uint32_t>(code)});
  }
  if (in.bad()) {
    error = path + ": read error";
    return false;
  }
  std::stable_sort(presses.begin(), presses.end(),
                   [](const KeyPress& a, const KeyPress& b) { return a.tick < b.tick; });
  return true;
}

}  // namespace cog
