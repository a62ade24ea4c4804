// The silent engine: the sound checks at load time, the music clock, the
// play states and the call record.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "media/music_clock.h"
#include "audio/rec/silent_engine.h"

namespace cog {

namespace {

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// ---------------------------------------------------------------------------

TEST(MediaCheck, ReadsTheFixtureSounds) {
  Result<WaveSound> gun = readWaveFile(kMedia + "gun.wav", true);
  ASSERT_TRUE(gun) << gun.message();
  EXPECT_EQ(gun->channels, 1);
  EXPECT_EQ(gun->sampleRate, 22050);
  EXPECT_EQ(gun->frames, 2205);
  ASSERT_EQ(gun->samples.size(), 2205u);
  EXPECT_NE(gun->samples[10], 0);

  Result<WaveSound> dead = readWaveFile(kMedia + "dead.wav", false);
  ASSERT_TRUE(dead) << dead.message();
  EXPECT_EQ(dead->frames, 2205);
  EXPECT_TRUE(dead->samples.empty());
}

TEST(MediaCheck, BrokenSoundsFailWithTheFileNameAndTheReason) {
  struct Case {
    const char* file;
    const char* reason;
  };
  const Case cases[] = {
      {"missing.wav", "cannot open"},
      {"gun_truncated.wav", "cut off"},
      {"not_wav.wav", "not a WAV file"},
      {"empty.wav", "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = kMedia + c.file;
    const Result<WaveSound> wave = readWaveFile(path, true);
    EXPECT_FALSE(wave.ok());
    EXPECT_TRUE(startsWith(wave.message(), path + ": ")) << wave.message();
    EXPECT_NE(wave.message().find(c.reason), std::string::npos) << wave.message();
  }
}

TEST(MediaCheck, EveryCutOfASoundIsAnError) {
  const std::vector<uint8_t> whole = fileBytes(kMedia + "gun.wav");
  for (size_t n = 0; n < whole.size(); n += 7) {
    const Result<WaveSound> wave = decodeWave(whole.data(), n, "cut.wav", false);
    EXPECT_FALSE(wave.ok()) << n;
    EXPECT_TRUE(startsWith(wave.message(), "cut.wav: ")) << wave.message();
  }
}

// ---------------------------------------------------------------------------

class SilentEngineTest : public ::testing::Test {
 protected:
  void loadAll() {
    std::string error;
    music = engine.LoadSegment(kMedia + "Roadsong.mid", error);
    gun = engine.LoadSegment(kMedia + "gun.wav", error);
    ASSERT_NE(music, 0) << error;
    ASSERT_NE(gun, 0) << error;
    engine.clearCalls();
  }
  SilentAudioEngine engine;
  SegmentId music = 0;
  SegmentId gun = 0;
};

TEST_F(SilentEngineTest, ClockRunsAtTheTempoOfTheMusicWithoutDrift) {
  engine.advance(1000);
  EXPECT_EQ(engine.now(), 1536);  // 120 bpm before any music is loaded
  loadAll();
  EXPECT_EQ(engine.microsecondsPerQuarter(), 600000);
  EXPECT_EQ(engine.now(), 1536);  // a tempo change keeps the time reached
  for (int i = 0; i < 30; ++i) engine.advance(33);
  // 990 ms at 1.28 ticks per ms is 1267.2 ticks; rounding each 42.24-tick
  // step down would have lost 7 of them.
  EXPECT_EQ(engine.now(), 1536 + 1267);
  engine.advance(-500);
  engine.advance(0);
  EXPECT_EQ(engine.GetTime(), 1536 + 1267);
  ASSERT_EQ(engine.calls().size(), 1u);
  EXPECT_EQ(engine.calls()[0].value, 1536 + 1267);
}

TEST_F(SilentEngineTest, APresentationPauseHoldsTheClockAndEveryCallIsRecorded) {
  loadAll();
  engine.PlaySegment(music, false);
  engine.advance(1000);
  const MusicTime held = engine.now();
  engine.SetPaused(true);
  engine.advance(1000);
  EXPECT_EQ(engine.now(), held);
  EXPECT_TRUE(engine.musicSounding());
  engine.SetPaused(false);
  engine.advance(1000);
  EXPECT_EQ(engine.now(), held + 1280);  // 100 bpm
  engine.SetVolumes(0.5f, 1.0f);
  EXPECT_EQ(engine.musicVolume(), 0.5f);
  std::vector<std::string> described;
  for (const AudioCall& c : engine.calls()) described.push_back(engine.describe(c));
  EXPECT_EQ(described, (std::vector<std::string>{"PlaySegment 1 primary -> 1", "SetPaused on", "SetPaused off",
                                                 "SetVolumes 0.5 1"}));
}

TEST_F(SilentEngineTest, SegmentsHaveLengthsRepeatsAndLoopPoints) {
  loadAll();
  EXPECT_EQ(engine.GetLength(music), 24576);
  EXPECT_EQ(engine.GetLength(gun), 128);  // 0.1 s at 100 bpm
  MusicTime start = -1, end = -1;
  engine.GetLoopPoints(music, start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(engine.GetRepeats(music), 0u);
  engine.SetRepeats(music, 3);
  EXPECT_EQ(engine.GetRepeats(music), 3u);
  EXPECT_EQ(engine.segmentName(gun), kMedia + "gun.wav");
  // Unknown ids answer zero and change nothing.
  engine.SetRepeats(99, 5);
  EXPECT_EQ(engine.GetRepeats(99), 0u);
  EXPECT_EQ(engine.GetLength(0), 0);
  EXPECT_EQ(engine.PlaySegment(99, false), 0);
  EXPECT_EQ(engine.GetStartTime(12345), 0);
}

TEST_F(SilentEngineTest, PlayStatesAndWhatIsSounding) {
  loadAll();
  engine.advance(1000);  // 1280 ticks
  engine.SetStartPoint(music, 5000);
  const SegmentStateId first = engine.PlaySegment(music, false);
  EXPECT_EQ(engine.GetStartTime(first), 1280);
  EXPECT_EQ(engine.GetStartPoint(first), 5000);
  EXPECT_TRUE(engine.musicSounding());

  engine.PlaySegment(gun, true);
  engine.PlaySegment(gun, true);
  EXPECT_EQ(engine.effectsSounding(), 2);
  engine.advance(99);  // 126 of the 128 ticks
  EXPECT_EQ(engine.effectsSounding(), 2);
  engine.advance(1);
  EXPECT_EQ(engine.effectsSounding(), 0);

  // A new primary segment replaces the one playing; its state keeps the
  // start point the segment had then.
  engine.SetStartPoint(music, 700);
  const SegmentStateId second = engine.PlaySegment(music, false);
  EXPECT_NE(second, first);
  EXPECT_EQ(engine.GetStartPoint(second), 700);
  EXPECT_EQ(engine.GetStartPoint(first), 5000);

  // Without repeats the piece plays out: 24576 - 700 ticks.
  engine.advance(int64_t{24576 - 700} * 600000 / 768000 - 1);
  EXPECT_TRUE(engine.musicSounding());
  engine.advance(2);
  EXPECT_FALSE(engine.musicSounding());

  const SegmentStateId third = engine.PlaySegment(music, false);
  engine.PlaySegment(gun, true);
  engine.Stop();
  EXPECT_FALSE(engine.musicSounding());
  EXPECT_EQ(engine.effectsSounding(), 0);
  EXPECT_NE(engine.GetStartTime(third), 0);
}

TEST_F(SilentEngineTest, PlayStatesStayBoundedAndTheMusicStateIsKept) {
  loadAll();
  engine.advance(10);
  const SegmentStateId musicState = engine.PlaySegment(music, false);
  engine.advance(10);
  const SegmentStateId firstEffect = engine.PlaySegment(gun, true);
  EXPECT_EQ(engine.GetStartTime(firstEffect), 25);
  engine.clearCalls();
  engine.setRecording(false);
  for (int i = 0; i < 10000; ++i) engine.PlaySegment(gun, true);
  EXPECT_TRUE(engine.calls().empty());
  EXPECT_EQ(engine.GetStartTime(musicState), 12);
  EXPECT_EQ(engine.GetStartTime(firstEffect), 0);  // long forgotten
  EXPECT_EQ(engine.effectsSounding(), static_cast<int32_t>(SilentAudioEngine::kKeptStates));
}

TEST_F(SilentEngineTest, RecordsEveryCallInOrderUntilCleared) {
  std::string error;
  EXPECT_EQ(engine.LoadSegment(kMedia + "missing.wav", error), 0);
  EXPECT_TRUE(startsWith(error, kMedia + "missing.wav: ")) << error;
  loadAll();  // clears
  engine.SetStartPoint(music, 5000);
  engine.PlaySegment(music, false);
  engine.PlaySegment(gun, true);
  engine.SetListenerOrientation(Vec3(1, 0, 0), Vec3(0, 1, 0), true);
  engine.SetListenerPosition(2.5f, 0, -1, true);
  engine.SetSourcePosition(-10, 0, 0, false);
  MusicTime a, b;
  engine.GetLoopPoints(music, a, b);
  engine.Stop();
  std::vector<std::string> lines;
  for (const AudioCall& c : engine.calls()) lines.push_back(engine.describe(c));
  const std::vector<std::string> expected = {
      "SetStartPoint 1 5000",
      "PlaySegment 1 primary -> 1",
      "PlaySegment 2 secondary -> 2",
      "SetListenerOrientation (1, 0, 0) (0, 1, 0) deferred",
      "SetListenerPosition (2.5, 0, -1) deferred",
      "SetSourcePosition (-10, 0, 0) immediate",
      "GetLoopPoints 1 -> 0 0",
      "Stop",
  };
  EXPECT_EQ(lines, expected);
  engine.clearCalls();
  EXPECT_TRUE(engine.calls().empty());
}

TEST(SilentEngine, LoadCallsNameTheirFiles) {
  SilentAudioEngine engine;
  std::string error;
  engine.LoadSegment(kMedia + "not_midi.mid", error);
  engine.LoadSegment(kMedia + "dead.wav", error);
  ASSERT_EQ(engine.calls().size(), 2u);
  EXPECT_EQ(engine.describe(engine.calls()[0]), "LoadSegment \"" + kMedia + "not_midi.mid\" -> 0");
  EXPECT_EQ(engine.describe(engine.calls()[1]), "LoadSegment \"" + kMedia + "dead.wav\" -> 1");
}

}  // namespace

namespace {

TEST(TempoMap, TicksAndMicrosecondsFollowTheChanges) {
  const TempoMap map({{6144, 1000000}, {0, 500000}});  // in any order
  const struct {
    int64_t tick;
    int64_t microseconds;
    int32_t tempo;
  } rows[] = {
      {0, 0, 500000}, {768, 500000, 500000}, {3072, 2000000, 500000}, {6144, 4000000, 1000000}, {7104, 5250000, 1000000},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.tick);
    EXPECT_EQ(map.microsecondsAt(r.tick), r.microseconds);
    EXPECT_EQ(map.tickAt(r.microseconds), r.tick);
    EXPECT_EQ(map.tempoAt(r.tick), r.tempo);
  }
  // 120 bpm until the first change; of two at one tick the later holds; a
  // tempo of zero is no tempo.
  const TempoMap late({{768, 600000}, {768, 250000}, {1536, 0}});
  EXPECT_EQ(late.tempoAt(0), 500000);
  EXPECT_EQ(late.tempoAt(5000), 250000);
  EXPECT_EQ(late.microsecondsAt(1536), 500000 + 250000);
  EXPECT_EQ(late.stretches(), 2u);
}

TEST(MusicClock, FollowsThePieceThroughItsPassesAndRunsOnAfter) {
  MusicClock clock;
  clock.runPiece(0, std::make_shared<TempoMap>(std::vector<TempoChange>{{6144, 1000000}}), 12288, 0, 2);
  const struct {
    int64_t microseconds;
    int64_t ticks;
  } rows[] = {
      {4000000, 6144},          {5000000, 6912},           // across the change
      {12000000, 12288},        {13000000, 12288 + 1536},  // the second pass starts at 120 bpm
      {24000000, 24576},        {25000000, 24576 + 768},   // played out: on at the last tempo
  };
  for (const auto& r : rows) EXPECT_EQ(clock.ticksAt(r.microseconds), r.ticks) << r.microseconds;
  EXPECT_EQ(clock.pieceMicroseconds(), 24000000);
  // Stopped in the slow part, the clock runs on at the tempo reached.
  clock.stop(5000000);
  EXPECT_FALSE(clock.hasPiece());
  EXPECT_EQ(clock.ticksAt(1000000), 6912 + 768);
  // A start past the end skips the first pass.
  clock.runPiece(0, std::make_shared<TempoMap>(), 1536, 5000, 2);
  EXPECT_EQ(clock.pieceMicroseconds(), 1000000);
}

}  // namespace

}  // namespace cog
