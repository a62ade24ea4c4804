// The game's audio logic on the silent engine: set-up, effects, the music
// toggle and its resume point, the listener.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "seams/render_device.h"
#include "sim/state.h"
#include "support/test_game.h"

namespace cog {

namespace {

namespace fs = std::filesystem;

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";
constexpr MusicTime kLength = 32 * 768;  // of the fixture "Roadsong.mid"

// A scratch working directory holding copies of fixtures under the names the
// game asks for; the previous working directory comes back at the end.
class MediaFolder {
 public:
  explicit MediaFolder(const std::vector<std::pair<std::string, std::string>>& files) {
    const std::string tmpl = (fs::temp_directory_path() / "cogstorm_audio_XXXXXX").string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    dir_ = mkdtemp(name.data());
    for (const auto& [from, to] : files) fs::copy_file(kMedia + from, dir_ / to);
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~MediaFolder() {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }

 private:
  fs::path dir_;
  fs::path old_;
};

const std::vector<std::pair<std::string, std::string>> kGoodMedia = {
    {"Roadsong.mid", "Roadsong.mid"}, {"gun.wav", "gun.wav"}, {"dead.wav", "dead.wav"}};

std::vector<std::string> describeAll(const SilentAudioEngine& engine) {
  std::vector<std::string> lines;
  for (const AudioCall& c : engine.calls()) lines.push_back(engine.describe(c));
  return lines;
}

// The music clock stands wherever the test puts it, and the music may have
// loop points.
class FixedClockEngine : public SilentAudioEngine {
 public:
  MusicTime fixedNow = 0;
  MusicTime loopStart = 0;
  MusicTime loopEnd = 0;
  MusicTime GetTime() override {
    SilentAudioEngine::GetTime();
    return fixedNow;
  }
  void GetLoopPoints(SegmentId segment, MusicTime& start, MusicTime& end) override {
    SilentAudioEngine::GetLoopPoints(segment, start, end);
    start = loopStart;
    end = loopEnd;
  }
};

class AudioTest : public GameTest {
 protected:
  void setUpOn(SilentAudioEngine& engine) {
    MediaFolder media(kGoodMedia);
    const Status started = audio.setup(engine);
    ASSERT_TRUE(started.ok()) << started.message();
    engine.clearCalls();
  }
  // Advances the clock to exactly `ticks` (chosen so that a whole number of
  // milliseconds reaches them at 100 bpm).
  static void advanceTo(SilentAudioEngine& engine, int64_t ticks) {
    const int64_t ms = ((ticks - engine.now()) * 600000 + 767999) / 768000;
    engine.advance(ms);
    ASSERT_EQ(engine.now(), ticks);
  }
};

// ---------------------------------------------------------------------------
// Set-up

TEST_F(AudioTest, SetUpLoadsPlacesAndStartsTheMusicInOrder) {
  {
    MediaFolder media(kGoodMedia);
    const Status started = audio.setup(engine);
    ASSERT_TRUE(started.ok()) << started.message();
  }
  const std::vector<std::string> expected = {
      "LoadSegment \"Roadsong.mid\" -> 1",
      "LoadSegment \"gun.wav\" -> 2",
      "LoadSegment \"dead.wav\" -> 3",
      "SetRepeats 1 1",
      "SetStartPoint 1 5000",
      "SetStartPoint 3 0",
      "SetListenerOrientation (0, 0, 1) (0, 1, 0) immediate",
      "SetSourcePosition (-10, 0, 0) immediate",
      "PlaySegment 1 primary -> 1",
  };
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_EQ(audio.engine, &engine);
  EXPECT_EQ(audio.musicSegment, 1);
  EXPECT_EQ(audio.gunSegment, 2);
  EXPECT_EQ(audio.deadSegment, 3);
  EXPECT_EQ(audio.musicState, 1);
  EXPECT_EQ(audio.musicPlaying, 1);
  EXPECT_EQ(audio.musicStartPoint, 5000);
  EXPECT_TRUE(engine.musicSounding());
  EXPECT_EQ(engine.GetStartPoint(audio.musicState), 5000);
}

struct BrokenMedia {
  const char* target;      // the file the game asks for
  const char* substitute;  // fixture put in its place, "" for none
  const char* reason;
  size_t loads;  // loads tried before set-up stops
};

class AudioSetUpFailure : public AudioTest, public ::testing::WithParamInterface<BrokenMedia> {};

TEST_P(AudioSetUpFailure, StopsAtTheFirstBadFileAndNamesIt) {
  const BrokenMedia& p = GetParam();
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& f : kGoodMedia)
    if (f.second != p.target) files.push_back(f);
  if (*p.substitute) files.emplace_back(p.substitute, p.target);

  std::string error;
  {
    MediaFolder media(files);
    const Status started = audio.setup(engine);
    EXPECT_FALSE(started.ok());
    error = started.message();
  }
  EXPECT_EQ(error.rfind(std::string(p.target) + ": ", 0), 0u) << error;
  EXPECT_NE(error.find(p.reason), std::string::npos) << error;
  ASSERT_EQ(engine.calls().size(), p.loads);
  EXPECT_EQ(engine.loadName(engine.calls().back()), p.target);
  EXPECT_EQ(engine.calls().back().segment, 0);
  EXPECT_EQ(audio.engine, nullptr);

  // Nothing reaches the engine afterwards.
  engine.clearCalls();
  audio.playEffect(1);
  audio.ToggleMusic();
  audio.UpdateListener(sim.player.position, sim.player.heading);
  EXPECT_TRUE(engine.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(EachFile, AudioSetUpFailure,
                         ::testing::Values(BrokenMedia{"Roadsong.mid", "", "cannot open", 1},
                                           BrokenMedia{"Roadsong.mid", "not_midi.mid", "not a MIDI file", 1},
                                           BrokenMedia{"Roadsong.mid", "Roadsong_truncated.mid", "cut off", 1},
                                           BrokenMedia{"gun.wav", "", "cannot open", 2},
                                           BrokenMedia{"gun.wav", "gun_truncated.wav", "cut off", 2},
                                           BrokenMedia{"gun.wav", "not_wav.wav", "not a WAV file", 2},
                                           BrokenMedia{"dead.wav", "", "cannot open", 3},
                                           BrokenMedia{"dead.wav", "empty.wav", "empty", 3},
                                           BrokenMedia{"dead.wav", "Roadsong.mid", "not a WAV file", 3}));

// ---------------------------------------------------------------------------
// The music toggle

TEST_F(AudioTest, PauseDuringTheFirstPassResumesWhereItStopped) {
  setUpOn(engine);
  ASSERT_EQ(engine.GetLength(audio.musicSegment), kLength);
  engine.clearCalls();
  advanceTo(engine, 1280);
  audio.ToggleMusic();
  const std::vector<std::string> expected = {
      "Stop",
      "GetTime -> 1280",
      "GetStartTime 1 -> 0",
      "GetStartPoint 1 -> 5000",
      "GetLoopPoints 1 -> 0 0",
      "GetLength 1 -> 24576",
      "GetRepeats 1 -> 1",
      "SetStartPoint 1 6280",
  };
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_EQ(audio.musicStartPoint, 6280);
  EXPECT_EQ(audio.musicPlaying, 0);
  EXPECT_FALSE(engine.musicSounding());
}

TEST_F(AudioTest, PauseDuringTheRepeatFoldsBackToTheStart) {
  setUpOn(engine);
  advanceTo(engine, kLength + 100 - 5000);
  audio.ToggleMusic();
  EXPECT_EQ(audio.musicStartPoint, 100);
}

TEST_F(AudioTest, SecondToggleResumesFromTheStoredPoint) {
  setUpOn(engine);
  advanceTo(engine, 1280);
  audio.ToggleMusic();  // pauses at 6280
  advanceTo(engine, 2560);
  engine.clearCalls();
  audio.ToggleMusic();  // plays
  const std::vector<std::string> expected = {"PlaySegment 1 primary -> 2"};
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_EQ(audio.musicState, 2);
  EXPECT_EQ(audio.musicPlaying, 1);
  EXPECT_TRUE(engine.musicSounding());
  EXPECT_EQ(engine.GetStartTime(2), 2560);
  EXPECT_EQ(engine.GetStartPoint(2), 6280);

  // The next pause counts from the resumed state: 6280 + 1280 played.
  advanceTo(engine, 3840);
  audio.ToggleMusic();
  EXPECT_EQ(audio.musicStartPoint, 7560);
}

TEST_F(AudioTest, ResumePointArithmetic) {
  struct Case {
    uint32_t repeats;
    MusicTime now;  // the music started at time 0 from 5000
    MusicTime expected;
    MusicTime loopStart = 0;
    MusicTime loopEnd = 0;
  };
  const Case cases[] = {
      {1, 1280, 6280},                          // first pass
      {1, kLength - 5000, 0},                   // exactly at the end of the first pass
      {1, kLength - 4900, 100},                 // into the repeat
      {1, 2 * kLength - 4900, kLength + 100},   // played out: one pass folded only
      {kRepeatInfinite, 3 * kLength - 4750, 250},
      {0xFFFFFFFEu, 3 * kLength - 4993, 7},     // passes beyond any offset
      {0, 2147483647 - 5001, 2147483646},
      {0, 2147483647 - 5000, 2147483647},
      {0, 2147483647, 2147483647},              // offset 2^31 + 4999
      {1, 2147483647, 2147483647 - (kLength - 5000)},
      // A loop over the whole 32-bit range: span times repeats is past 2^63.
      {0xFFFFFFFEu, 1000, 6000, -2147483647 - 1, 2147483647},
      {2, 1000, 4000, 4000, 6000},              // at the loop end: folded to the loop start
      {2, 4000, 5000, 4000, 6000},              // past both loops: 9000 - 2 * 2000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "repeats " << c.repeats << " now " << c.now);
    FixedClockEngine engine;
    setUpOn(engine);
    engine.SetRepeats(audio.musicSegment, c.repeats);
    engine.fixedNow = c.now;
    engine.loopStart = c.loopStart;
    engine.loopEnd = c.loopEnd;
    audio.ToggleMusic();
    EXPECT_EQ(audio.musicStartPoint, c.expected);
    ASSERT_FALSE(engine.calls().empty());
    EXPECT_EQ(engine.describe(engine.calls().back()), "SetStartPoint 1 " + std::to_string(c.expected));
    audio.reset();
  }
}

TEST_F(AudioTest, PauseStopsTheEffectsToo) {
  setUpOn(engine);
  audio.playEffect(audio.gunSegment);
  audio.playEffect(audio.deadSegment);
  EXPECT_EQ(engine.effectsSounding(), 2);
  audio.ToggleMusic();
  EXPECT_EQ(engine.effectsSounding(), 0);
  EXPECT_FALSE(engine.musicSounding());
}

TEST_F(AudioTest, AToggleWithoutAMusicStateJustPlays) {
  setUpOn(engine);
  audio.musicState = 0;  // as if the start of the music had failed
  audio.ToggleMusic();
  const std::vector<std::string> expected = {"PlaySegment 1 primary -> 2"};
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_EQ(audio.musicState, 2);
  EXPECT_EQ(audio.musicPlaying, 1);
}

// ---------------------------------------------------------------------------
// Effects and positions

TEST_F(AudioTest, TwoEffectsInOneTickAreBothPlayedOverTheMusic) {
  setUpOn(engine);
  audio.playEffect(audio.gunSegment);
  audio.playEffect(audio.gunSegment);
  const std::vector<std::string> expected = {"PlaySegment 2 secondary -> 2", "PlaySegment 2 secondary -> 3"};
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_EQ(audio.startedEffects, (std::vector<SegmentId>{2, 2}));
  EXPECT_EQ(engine.effectsSounding(), 2);
  EXPECT_TRUE(engine.musicSounding());
  EXPECT_EQ(audio.musicState, 1);
}

TEST_F(AudioTest, ListenerFollowsThePlayer) {
  setUpOn(engine);
  sim.player.position = Vec3(-1900.0f, -80.0f, 9900.0f);
  sim.player.heading = 90.0f;
  audio.UpdateListener(sim.player.position, sim.player.heading);
  // cos of the single-precision angle, not of the exact right angle.
  const std::vector<std::string> expected = {
      "SetListenerOrientation (1, 0, -4.37113883e-08) (0, 1, 0) deferred",
      "SetListenerPosition (-19, 0, 99) deferred",
      "SetSourcePosition (-0.25, 0, 6.25) deferred",
  };
  EXPECT_EQ(describeAll(engine), expected);

  // Headings are never wrapped: three turns and three degrees.
  engine.clearCalls();
  sim.player.heading = 1083.0f;
  audio.UpdateListener(sim.player.position, sim.player.heading);
  ASSERT_EQ(engine.calls().size(), 3u);
  EXPECT_EQ(engine.calls()[0].a, Vec3(0.0523366593f, 0.0f, 0.99862951f));

  engine.clearCalls();
  audio.placeSoundSource(150.0f, -250.0f);
  ASSERT_EQ(engine.calls().size(), 1u);
  EXPECT_EQ(engine.describe(engine.calls()[0]), "SetSourcePosition (1.5, 0, -2.5) deferred");
}

TEST_F(AudioTest, EverythingIsSafeWithoutAnEngine) {
  sim.player.heading = 45.0f;
  audio.playEffect(2);
  audio.placeSoundSource(1.0f, 2.0f);
  audio.UpdateListener(sim.player.position, sim.player.heading);
  audio.ToggleMusic();
  audio.ToggleMusic();
  audio.shutdown();
  EXPECT_TRUE(audio.startedEffects.empty());
  EXPECT_EQ(audio.musicPlaying, 1);
  EXPECT_EQ(audio.musicStartPoint, 5000);
  EXPECT_EQ(audio.musicState, 0);
}

TEST_F(AudioTest, ShutdownStopsEverythingAndForgetsTheEngine) {
  setUpOn(engine);
  audio.playEffect(audio.gunSegment);
  engine.clearCalls();
  audio.shutdown();
  const std::vector<std::string> expected = {"Stop"};
  EXPECT_EQ(describeAll(engine), expected);
  EXPECT_FALSE(engine.musicSounding());
  EXPECT_EQ(engine.effectsSounding(), 0);
  EXPECT_EQ(audio.engine, nullptr);
  EXPECT_EQ(audio.startedEffects, (std::vector<SegmentId>{2}));  // still there to be read
  audio.playEffect(2);
  audio.ToggleMusic();
  EXPECT_EQ(engine.calls().size(), 1u);
}

}  // namespace

}  // namespace cog
