// A headless run heard: --audio-out renders the whole mix of the arena
// through the loopback device, 33 ms of sound per tick. Footsteps sound at
// the ticks the trace lists them, the music plays, stops while paused and
// comes back; the same run gives the same bytes, and the trace is the one a
// run without sound writes.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/headless.h"
#include "app/sound_recording.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const std::string kArena = std::string(COGSTORM_TEST_DATA) + "/levels/arena";
constexpr int kTicks = 60;
constexpr int kPauseTick = 15;   // the music key pauses the music here ...
constexpr int kResumeTick = 28;  // ... and starts it again here
constexpr int64_t kFootstepFrames = 4410;  // gun.wav: 0.1 s

int64_t frameOf(int64_t tick) { return recordedFramesAfter(tick); }

struct Recording {
  std::vector<int16_t> samples;  // interleaved stereo
  std::string bytes;
  // RMS in dBFS of frames [from, to).
  double level(int64_t from, int64_t to) const {
    double sum = 0.0;
    for (int64_t i = 2 * from; i < 2 * to; ++i) sum += double(samples[i]) * samples[i];
    const double r = std::sqrt(sum / double(2 * (to - from))) / 32768.0;
    return r > 1e-10 ? 20.0 * std::log10(r) : -200.0;
  }
};

class AudioOut : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("cogstorm-audio-out-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "keys.txt") << kPauseTick << " 77\n" << kResumeTick << " 77\n";
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs the arena with the key script; with a WAV name, records its sound.
  std::string run(const std::string& trace, const std::string& wav = "") {
    const RunResult r = runProgram("--data " + kArena + " --headless --ticks " + std::to_string(kTicks) +
                                   " --input " + (dir / "keys.txt").string() + " --trace " + (dir / trace).string() +
                                   (wav.empty() ? "" : " --audio-out " + (dir / wav).string()));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "") << "a recorded run has nothing to say";
    return readFile((dir / trace).string());
  }

  Recording load(const std::string& wav) {
    Recording rec;
    rec.bytes = readFile((dir / wav).string());
    if (rec.bytes.size() < 44) return rec;
    rec.samples.resize((rec.bytes.size() - 44) / 2);
    std::memcpy(rec.samples.data(), rec.bytes.data() + 44, rec.samples.size() * 2);
    return rec;
  }
  fs::path dir;
};

TEST_F(AudioOut, FootstepsAtTheirTicksMusicPausedAndBackTheSameEveryRun) {
  const std::string silentTrace = run("plain.jsonl");
  const std::string heardTrace = run("heard.jsonl", "a.wav");
  run("again.jsonl", "b.wav");
  EXPECT_EQ(heardTrace, silentTrace);
  const Recording rec = load("a.wav");
  EXPECT_TRUE(rec.bytes == load("b.wav").bytes) << "two runs gave different sound";

  // 44,100 Hz 16-bit stereo, round(60 x 1455.3) = 87318 frames.
  ASSERT_EQ(rec.bytes.size(), 44u + 87318u * 4u);
  EXPECT_EQ(rec.bytes.compare(0, 4, "RIFF"), 0);
  EXPECT_EQ(rec.bytes.compare(8, 8, "WAVEfmt "), 0);
  const auto* h = reinterpret_cast<const uint8_t*>(rec.bytes.data());
  EXPECT_EQ(h[22] | h[23] << 8, 2);
  EXPECT_EQ(h[24] | h[25] << 8 | h[26] << 16, 44100);
  EXPECT_EQ(h[34], 16);

  // Every tick the trace lists footsteps at, they start at that tick's
  // frame: a jump of more than 12 dB from the 10 ms before to the 10 ms after.
  std::istringstream lines(heardTrace);
  int footstepTicks = 0;
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json t = nlohmann::json::parse(line);
    const int64_t tick = t["tick"];
    EXPECT_EQ(t["music"], tick >= kPauseTick && tick < kResumeTick ? "paused" : "playing") << tick;
    if (t["effects"].empty() || t["effects"][0] != "gun") continue;
    ++footstepTicks;
    const int64_t at = frameOf(tick);
    EXPECT_GT(rec.level(at, at + 441) - rec.level(at - 441, at), 12.0) << "no footstep heard at tick " << tick;
  }
  EXPECT_GE(footstepTicks, 3);

  // The music before the pause and after it; while paused, nothing but the
  // footsteps of tick 21.
  EXPECT_GT(rec.level(frameOf(8), frameOf(11)), -50.0);
  const int64_t step = frameOf(21);
  EXPECT_EQ(rec.level(frameOf(kPauseTick), step), -200.0);
  EXPECT_GT(rec.level(step, step + kFootstepFrames), -30.0);
  EXPECT_EQ(rec.level(step + kFootstepFrames + 441, frameOf(kResumeTick)), -200.0);
  EXPECT_GT(rec.level(frameOf(kResumeTick), frameOf(kResumeTick + 3)), -55.0);
  EXPECT_GT(rec.level(frameOf(40), frameOf(kTicks)), -50.0);
}

TEST_F(AudioOut, OnlyHeadlessAndNotTooLong) {
  const std::string wav = " --audio-out " + (dir / "x.wav").string();
  for (const std::string& args : {"--data " + kArena + " --ticks 5" + wav,
                                  "--data " + kArena + " --headless --ticks 5 --mute" + wav,
                                  "--data " + kArena + " --headless --ticks 99999999" + wav}) {
    const RunResult r = runProgram(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_NE(r.output.find("--audio-out"), std::string::npos) << r.output;
  }
  const RunResult r = runProgram("--data " + kArena + " --headless --ticks 5 --audio-out " +
                                 (dir / "no/such/dir/x.wav").string());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("x.wav"), std::string::npos) << r.output;
}

// The window on a machine without a sound card: one line in the game's own
// words, none of ALSA's or OpenAL Soft's.
TEST_F(AudioOut, TheWindowSaysWhatMattersOnce) {
  ScopedEnv video("SDL_VIDEODRIVER", "offscreen");
  // Under the sanitizers the Mesa libraries the window loads leave their
  // allocations behind at exit; the game's own memory is checked in-process.
  ScopedEnv leaks("ASAN_OPTIONS", "detect_leaks=0");
  ScopedEnv font("COGSTORM_SOUNDFONT", (dir / "none.sf2").string());
  const RunResult r = runProgram("--data " + kArena + " --no-settings --ticks 3");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("ALSA lib"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("AL lib"), std::string::npos) << r.output;
  // No device: that is all there is to say. A device: only the missing SoundFont.
  const bool noDevice = r.output.find("playing without sound") != std::string::npos;
  const char* expected = noDevice ? "playing without sound" : "none.sf2";
  EXPECT_NE(r.output.find(expected), std::string::npos) << r.output;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
}

// The feedback sounds of the shipped level's win: the shot of tick 1 and
// the first robot down on tick 22 are heard at their ticks, nothing else
// differs, and with the feedback off neither is there; the trace is the
// same either way.
TEST_F(AudioOut, FeedbackSoundsAtTheirTicksAndNoneWhenOff) {
  constexpr int64_t kFireTick = 1, kDownTick = 22, kRunTicks = 40;
  const fs::path before = fs::current_path();
  fs::current_path(COGSTORM_SHIPPED_LEVEL_BUILD);
  auto record = [&](bool feedback, const std::string& name) {
    HeadlessOptions options;
    options.ticks = kRunTicks;
    options.inputPath = std::string(COGSTORM_DEMO_DIR) + "/win.keys";
    options.tracePath = (dir / (name + ".jsonl")).string();
    options.sound.audioOutPath = (dir / (name + ".wav")).string();
    options.sound.feedbackSounds = feedback;
    std::ostringstream err;
    EXPECT_EQ(runHeadless(options, err), 0) << err.str();
    return load(name + ".wav");
  };
  const Recording on = record(true, "on");
  const Recording off = record(false, "off");
  fs::current_path(before);
  EXPECT_EQ(readFile((dir / "on.jsonl").string()), readFile((dir / "off.jsonl").string()));
  ASSERT_EQ(on.samples.size(), off.samples.size());

  // What the feedback added: the difference of the two recordings.
  Recording added;
  added.samples.resize(on.samples.size());
  for (size_t i = 0; i < on.samples.size(); ++i)
    added.samples[i] = static_cast<int16_t>(std::clamp(on.samples[i] - off.samples[i], -32768, 32767));
  const struct {
    int64_t from, to;  // frames
    bool heard;
  } spans[] = {
      {0, frameOf(kFireTick), false},                                      // nothing before the shot
      {frameOf(kFireTick), frameOf(kFireTick) + 4410, true},                // the shot
      {frameOf(kFireTick) + 8820, frameOf(kDownTick), false},               // gone before the robot goes down
      {frameOf(kDownTick), frameOf(kDownTick) + 8820, true},                // the robot down
  };
  for (const auto& s : spans) {
    SCOPED_TRACE(s.from);
    if (s.heard) {
      EXPECT_GT(added.level(s.from, s.to), -45.0);
    } else {
      EXPECT_EQ(added.level(s.from, s.to), -200.0);
    }
  }
}

// A SoundFont named on the command line that cannot be used stops the run
// with a message naming it, headless or in the window.
TEST_F(AudioOut, ANamedSoundFontThatCannotBeUsedIsAnError) {
  ScopedEnv video("SDL_VIDEODRIVER", "offscreen");
  ScopedEnv leaks("ASAN_OPTIONS", "detect_leaks=0");
  std::ofstream(dir / "not.sf2") << "not a SoundFont";
  const struct {
    std::string file;
    const char* reason;
  } fonts[] = {{(dir / "missing.sf2").string(), "is not a file"},
               {(dir / "not.sf2").string(), "cannot be loaded as a SoundFont"}};
  for (const auto& f : fonts) {
    for (const std::string& mode :
         std::vector<std::string>{" --headless --ticks 3 --audio-out " + (dir / "x.wav").string(), " --ticks 3"}) {
      SCOPED_TRACE(f.file + mode);
      const RunResult r = runProgram("--data " + kArena + " --no-settings" + mode + " --soundfont " + f.file);
      // No sound device: only a missing file can be told.
      if (mode == " --ticks 3" && r.output.find("playing without sound") != std::string::npos) continue;
      EXPECT_EQ(r.exitCode, 1) << r.output;
      EXPECT_NE(r.output.find(f.file), std::string::npos) << r.output;
      EXPECT_NE(r.output.find(f.reason), std::string::npos) << r.output;
    }
  }
}

}  // namespace

}  // namespace cog
