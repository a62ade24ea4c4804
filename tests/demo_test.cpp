// The demos: key scripts that win and lose the shipped level, played by the
// program headless, and a player who stands still.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace cog {

namespace fs = std::filesystem;

namespace {

// The trace line of the last tick of a headless run, or null.
nlohmann::json lastTick(const std::string& keys, int ticks, const fs::path& trace) {
  const std::string command = std::string(COGSTORM_BINARY) + " --headless --ticks " + std::to_string(ticks) +
                              " --input " + keys + " --trace " + trace.string() + " --data " +
                              COGSTORM_SHIPPED_LEVEL_BUILD + " > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return nullptr;
  std::ifstream in(trace);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last.empty() ? nlohmann::json() : nlohmann::json::parse(last);
}

}  // namespace

TEST(Demos, WinLoseAndStandStill) {
  struct Case {
    const char* keys;  // under demos/, or empty for no keys
    int ticks;
    int gameOver;
    float endX;  // player x at the end: -1800 won, -1900 caught; the start's 0 while playing
    bool allDead;
  };
  const Case cases[] = {
      {"win.keys", 700, 1, -1800.0f, true},
      {"lose.keys", 200, 1, -1900.0f, false},
      {"", 300, 0, 0.0f, false},  // nobody comes for a player who stays behind the crates
  };
  const fs::path dir = fs::temp_directory_path() / ("cogstorm-demos-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "none.keys") << "# no keys\n";
  for (const Case& c : cases) {
    const std::string keys = *c.keys ? std::string(COGSTORM_DEMO_DIR) + "/" + c.keys : (dir / "none.keys").string();
    const nlohmann::json end = lastTick(keys, c.ticks, dir / "trace.jsonl");
    ASSERT_TRUE(end.is_object()) << keys << ": the run failed";
    EXPECT_EQ(end["gameOver"], c.gameOver) << keys;
    EXPECT_EQ(end["player"]["pos"][0].get<float>(), c.endX) << keys;
    if (c.gameOver) {
      EXPECT_EQ(end["player"]["pos"][2].get<float>(), 9900.0f) << keys;
    }
    int alive = 0;
    for (const auto& robot : end["robots"]) alive += robot["alive"].get<int>();
    EXPECT_EQ(alive == 0, c.allDead) << keys;
  }
  fs::remove_all(dir);
}

}  // namespace cog
