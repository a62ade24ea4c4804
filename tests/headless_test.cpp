// The program run headless: key scripts, traces checked in, and the errors
// a user can make on the command line.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "app/key_script.h"
#include "support/level_files.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

const std::string kData = COGSTORM_TEST_DATA;
const std::string kArena = kData + "/levels/arena";

class Headless : public ::testing::Test {
 protected:
  TempDir temp;  // removed with the fixture
  fs::path dir = temp.path();
};

// A recorded game replays to the same trace, tick for tick.
void expectTraceMatches(const fs::path& dir, const std::string& name, int ticks) {
  const std::string keys = kData + "/traces/" + name + ".keys";
  const std::string golden = kData + "/traces/" + name + ".jsonl";
  const fs::path out = dir / (name + ".jsonl");
  const RunResult run = runProgram("--data " + kArena + " --headless --ticks " + std::to_string(ticks) +
                                   " --input " + keys + " --trace " + out.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> got = lines(readFile(out.string()));
  const std::vector<std::string> want = lines(readFile(golden));
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << "first difference at tick " << i + 1;
}

int lastTickOf(const std::string& name) {
  return static_cast<int>(lines(readFile(kData + "/traces/" + name + ".jsonl")).size());
}

TEST_F(Headless, WinningGameReplaysItsTrace) {
  expectTraceMatches(dir, "win", lastTickOf("win"));
  const nlohmann::json last = nlohmann::json::parse(lines(readFile(kData + "/traces/win.jsonl")).back());
  EXPECT_EQ(last["gameOver"], 1);
  EXPECT_EQ(last["player"]["pos"][0], -1800);
  for (const auto& robot : last["robots"]) EXPECT_EQ(robot["alive"], 0);
}

TEST_F(Headless, LosingGameReplaysItsTrace) {
  expectTraceMatches(dir, "lose", lastTickOf("lose"));
  const std::vector<std::string> trace = lines(readFile(kData + "/traces/lose.jsonl"));
  const nlohmann::json last = nlohmann::json::parse(trace.back());
  EXPECT_EQ(last["gameOver"], 1);
  EXPECT_EQ(last["player"]["pos"][0], -1900);
  int deaths = 0;
  for (const std::string& line : trace) {
    const nlohmann::json tick = nlohmann::json::parse(line);
    for (const auto& effect : tick["effects"]) deaths += effect == "dead";
  }
  EXPECT_EQ(deaths, 1);
}

TEST_F(Headless, TraceLinesHaveExactlyTheAgreedFields) {
  const fs::path out = dir / "t.jsonl";
  const RunResult run = runProgram("--data " + kArena + " --headless --ticks 3 --trace " + out.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> trace = lines(readFile(out.string()));
  ASSERT_EQ(trace.size(), 3u);
  const nlohmann::json first = nlohmann::json::parse(trace[0]);
  std::vector<std::string> keys;
  for (const auto& [key, value] : first.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"currentRoom", "effects", "gameOver", "music", "player", "robots",
                                            "shot", "tick"}));
  EXPECT_EQ(first["tick"], 1);
  EXPECT_EQ(first["robots"].size(), 7u);
  EXPECT_EQ(first["robots"][0].size(), 4u);
  EXPECT_EQ(first["shot"].size(), 4u);
  EXPECT_EQ(first["music"], "playing");
  EXPECT_EQ(first["currentRoom"], 0);
  EXPECT_EQ(first["player"]["pos"], nlohmann::json::parse("[0,0,50]"));
  // The first tick turns every robot to the player and wraps its phase.
  EXPECT_EQ(first["robots"][0]["phase"], 0);
}

TEST_F(Headless, BadCommandLinesFailWithAMessage) {
  RunResult run = runProgram("--data " + kArena + " --headless");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("--ticks"), std::string::npos) << run.output;

  run = runProgram("--data " + (dir / "nowhere").string() + " --check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("nowhere"), std::string::npos) << run.output;

  std::ofstream(dir / "keys.txt") << "# comment\n\n1 38\n2 thirty-eight\n";
  run = runProgram("--data " + kArena + " --headless --ticks 5 --input " + (dir / "keys.txt").string());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("keys.txt:4"), std::string::npos) << run.output;

  run = runProgram("--data " + kArena + " --headless --ticks 5 --input " + (dir / "missing.txt").string());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("missing.txt"), std::string::npos) << run.output;

  run = runProgram("--data " + kArena + " --headless --ticks 5 --trace " + (dir / "no/such/dir/t.jsonl").string());
  EXPECT_EQ(run.exitCode, 1);

  run = runProgram("--data " + kArena + " --headless --ticks 5 --record " + (dir / "keys.txt").string());
  EXPECT_EQ(run.exitCode, 2) << "a headless run records nothing";
  EXPECT_NE(run.output.find("--record"), std::string::npos) << run.output;
  // The window's files are checked before any window opens.
  run = runProgram("--data " + kArena + " --record " + (dir / "no/such/dir/keys.txt").string());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("no/such/dir/keys.txt: cannot write the key recording"), std::string::npos) << run.output;
  run = runProgram("--data " + kArena + " --input " + (dir / "missing.txt").string());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("missing.txt: cannot open"), std::string::npos) << run.output;

  run = runProgram("--version");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("cogstorm"), std::string::npos);
  run = runProgram("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("--headless"), std::string::npos);
}

// Each mistake a player or level author makes on the command line or in a
// level file is told in words about what was meant, with the usual exit
// status: 2 for the command line, 1 for a file or folder that cannot be used.
TEST_F(Headless, MistakesAreToldInTheirOwnWords) {
  fs::create_directories(dir / "empty");
  fs::copy(kArena, dir / "huge");
  {
    std::string dat = readFile(kArena + "/dat.txt");
    const std::string vertex = "\n-100 -90 -100   0 1 0   0 5\n";
    ASSERT_NE(dat.find(vertex), std::string::npos);
    dat.replace(dat.find(vertex), vertex.size(), "\n1e40 -90 -100   0 1 0   0 5\n");
    std::ofstream(dir / "huge" / "dat.txt", std::ios::trunc) << dat;
  }
  const std::string arena = "--data " + kArena + " ";
  const std::string missingFont = (dir / "none.sf2").string();
  const std::string ticksWanted = "--ticks: expected a whole number of ticks (0 to 9223372036854775807), got ";
  const struct {
    std::string args;
    int exitCode;
    std::string message;  // in the output ("" : no complaint)
  } cases[] = {
      {arena + "--headless --ticks abc", 2, ticksWanted + "\"abc\""},
      {arena + "--headless --ticks -1", 2, ticksWanted + "\"-1\""},
      {arena + "--headless --ticks 1.5", 2, ticksWanted + "\"1.5\""},
      {arena + "--headless --ticks 0x10", 2, ticksWanted + "\"0x10\""},
      {arena + "--headless --ticks 9223372036854775808", 2, ticksWanted + "\"9223372036854775808\""},
      {arena + "--check --ticks 9223372036854775807", 0, ""},
      {arena + "--headless --ticks +2", 0, ""},
      {"--data " + (dir / "empty").string() + " --check", 1,
       (dir / "empty").string() + ": the folder holds no level (no \"dat.txt\")"},
      {"--data " + (dir / "empty").string() + " --headless --ticks 1", 1, "the folder holds no level"},
      {"--data " + (dir / "huge").string() + " --check", 1,
       "cogstorm: dat.txt:17: the number \"1e40\" (vertex x) is too large for a 32-bit float"},
      {"--data " + (dir / "huge").string() + " --headless --ticks 1", 1, "dat.txt:17: the number \"1e40\""},
      {arena + "--headless --ticks 1 --soundfont " + missingFont, 1, missingFont + " named by --soundfont is not a file"},
      {arena + "--check --soundfont " + missingFont, 1, missingFont + " named by --soundfont is not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const RunResult run = runProgram(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    if (c.message.empty()) {
      EXPECT_EQ(run.output.find("expected"), std::string::npos) << run.output;
    } else {
      EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
      EXPECT_EQ(run.output.find("Roadsong"), std::string::npos) << run.output;
    }
  }
}

TEST_F(Headless, MissingMediaStopsTheStart) {
  fs::copy(kArena, dir / "level");
  fs::remove(dir / "level" / "gun.wav");
  // Headless, and in a window, whose sound starts beside the (hidden)
  // window: the run still stops there, after the sound's own lines.
  const std::string data = "--data " + (dir / "level").string();
  struct Case {
    std::string args, environment;
  };
  const Case cases[] = {
      {data + " --headless --ticks 1", ""},
      {data + " --no-settings --ticks 1", "env -u DISPLAY SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null "},
  };
  for (const Case& c : cases) {
    const RunResult run = runProgram(c.args, c.environment);
    EXPECT_EQ(run.exitCode, 1) << c.args;
    EXPECT_NE(run.output.find("Media not found, sample will now quit"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("gun.wav"), std::string::npos) << run.output;
  }
}

TEST_F(Headless, MissingBaseTextureStopsTheStart) {
  fs::copy(kArena, dir / "level");
  fs::remove(dir / "level" / "sky2.bmp");
  const RunResult run = runProgram("--data " + (dir / "level").string() + " --headless --ticks 1");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("sky2.bmp"), std::string::npos) << run.output;
}

TEST(KeyScript, ReadsTicksInOrderKeepingFileOrderWithinATick) {
  const fs::path path = fs::temp_directory_path() / ("keys-" + std::to_string(getpid()) + ".txt");
  std::ofstream(path) << "# a comment\r\n3 38\r\n\r\n1 32\n  3   37  \n1 255\n";
  std::vector<KeyPress> presses;
  std::string error;
  ASSERT_TRUE(readKeyScript(path.string(), presses, error)) << error;
  ASSERT_EQ(presses.size(), 4u);
  EXPECT_EQ(presses[0].tick, 1);
  EXPECT_EQ(presses[0].code, 32u);
  EXPECT_EQ(presses[1].code, 255u);
  EXPECT_EQ(presses[2].code, 38u);
  EXPECT_EQ(presses[3].code, 37u);

  for (const char* bad : {"0 38\n", "1 256\n", "1\n", "1 38 5\n", "-1 38\n", "1 0x20\n", "99999999999999999999 1\n"}) {
    std::ofstream(path) << "1 38\n" << bad;
    EXPECT_FALSE(readKeyScript(path.string(), presses, error)) << bad;
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
  }
  fs::remove(path);
}

}  // namespace

}  // namespace cog
