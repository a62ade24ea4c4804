// The silent engine: the media checks at load time, the music clock, the
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
#include "support/midi_pieces.h"

namespace cog {

namespace {

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// ---------------------------------------------------------------------------

TEST(MediaCheck, ReadsTheFixtureMusicAndSounds) {
  MidiInfo midi;
  std::string error;
  ASSERT_TRUE(readMidiFile(kMedia + "Roadsong.mid", midi, error)) << error;
  EXPECT_EQ(midi.pulsesPerQuarter, 480);
  EXPECT_EQ(midi.lengthPulses, 32 * 480);
  EXPECT_EQ(midi.length, 32 * 768);  // converted to 768 ticks per quarter note
  EXPECT_TRUE(midi.hasTempo);
  EXPECT_EQ(midi.microsecondsPerQuarter, 600000);

  WaveSound wave;
  ASSERT_TRUE(readWaveFile(kMedia + "gun.wav", true, wave, error)) << error;
  EXPECT_EQ(wave.channels, 1);
  EXPECT_EQ(wave.sampleRate, 22050);
  EXPECT_EQ(wave.frames, 2205);
  ASSERT_EQ(wave.samples.size(), 2205u);
  EXPECT_NE(wave.samples[10], 0);

  ASSERT_TRUE(readWaveFile(kMedia + "dead.wav", false, wave, error)) << error;
  EXPECT_EQ(wave.frames, 2205);
  EXPECT_TRUE(wave.samples.empty());
}

TEST(MediaCheck, BrokenFilesFailWithTheFileNameAndTheReason) {
  struct Case {
    const char* file;
    const char* reason;
  };
  const Case cases[] = {
      {"missing.mid", "cannot open"},
      {"not_midi.mid", "not a MIDI file"},
      {"Roadsong_truncated.mid", "cut off"},
      {"missing.wav", "cannot open"},
      {"gun_truncated.wav", "cut off"},
      {"not_wav.wav", "not a WAV file"},
      {"empty.wav", "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = kMedia + c.file;
    std::string error;
    bool ok = false;
    if (std::string(c.file).find(".mid") != std::string::npos) {
      MidiInfo midi;
      ok = readMidiFile(path, midi, error);
    } else {
      WaveSound wave;
      ok = readWaveFile(path, true, wave, error);
      EXPECT_TRUE(wave.samples.empty());
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(startsWith(error, path + ": ")) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  MidiInfo midi;
  std::string error;
  EXPECT_FALSE(readMidiFile(kMedia, midi, error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

// libsmf stops the process on a file cut short; every cut must come back as
// an error instead, and every one-byte change as a clean answer.
TEST(MediaCheck, EveryCutAndByteChangeOfTheMusicIsHandled) {
  const std::vector<uint8_t> whole = fileBytes(kMedia + "Roadsong.mid");
  ASSERT_GT(whole.size(), 100u);
  for (size_t n = 0; n < whole.size(); ++n) {
    MidiInfo midi;
    std::string error;
    EXPECT_FALSE(decodeMidi(std::vector<uint8_t>(whole.begin(), whole.begin() + n), "cut.mid", midi, error)) << n;
    EXPECT_TRUE(startsWith(error, "cut.mid: ")) << error;
  }
  const uint8_t values[] = {0x00, 0x7F, 0x80, 0xFF, 0xF0, 0x51};
  for (size_t i = 0; i < whole.size(); ++i) {
    for (uint8_t v : values) {
      std::vector<uint8_t> changed = whole;
      changed[i] = v;
      MidiInfo midi;
      std::string error;
      if (!decodeMidi(changed, "changed.mid", midi, error)) {
        EXPECT_TRUE(startsWith(error, "changed.mid: ")) << error;
      }
    }
  }
}

TEST(MediaCheck, EveryCutOfASoundIsAnError) {
  const std::vector<uint8_t> whole = fileBytes(kMedia + "gun.wav");
  for (size_t n = 0; n < whole.size(); n += 7) {
    WaveSound wave;
    std::string error;
    EXPECT_FALSE(decodeWave(whole.data(), n, "cut.wav", false, wave, error)) << n;
    EXPECT_TRUE(startsWith(error, "cut.wav: ")) << error;
  }
}

TEST(MediaCheck, MidiTimingAndStructure) {
  MidiInfo midi;
  std::string error;
  // No tempo event: 120 bpm; length scaled from 96 to 768 per quarter note.
  ASSERT_TRUE(decodeMidi(oneTrackMidiFile({0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}, 96, 96), "a.mid", midi, error))
      << error;
  EXPECT_FALSE(midi.hasTempo);
  EXPECT_EQ(midi.microsecondsPerQuarter, 500000);
  EXPECT_EQ(midi.length, 2 * 768);

  // Running status, and the first tempo event coming after the start.
  ASSERT_TRUE(decodeMidi(oneTrackMidiFile({0x00, 0x90, 60, 100, 0x30, 62, 100, 0x30, 0xFF, 0x51, 0x03, 0x09, 0x27,
                                       0xC0, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}),
                         "b.mid", midi, error))
      << error;
  EXPECT_EQ(midi.microsecondsPerQuarter, 600000);  // 0x0927C0, not the later 0x0F4240
  EXPECT_EQ(midi.length, 768);

  const struct {
    std::vector<uint8_t> bytes;
    const char* reason;
  } bad[] = {
      {oneTrackMidiFile({0x00, 0x90, 60, 100}, 0x8000 | 25 << 8 | 40), "SMPTE"},
      {oneTrackMidiFile({0x00, 0x90, 60, 100}, 0), "zero pulses"},
      {oneTrackMidiFile({0x00, 60, 100}), "no status"},
      {oneTrackMidiFile({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}), "tempo event of 2 bytes"},
      {oneTrackMidiFile({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}), "tempo of zero"},
      {oneTrackMidiFile({0x00, 0xFF, 0x58, 0x02, 0x04, 0x02}), "time signature"},
      {oneTrackMidiFile({0x00, 0xF2, 0x00, 0x00}), "unexpected status"},
      {oneTrackMidiFile({0x00, 0x90, 60, 0x90}), "missing a data byte"},
      {oneTrackMidiFile({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "longer than four bytes"},
      // What libsmf cannot take is refused before it sees it.
      {oneTrackMidiFile({0x00, 0xF7, 0x01, 0x00}), "(0xF7)"},
      {oneTrackMidiFile({0x00, 0xFF, 0x80, 0x00}), "type 0x80 out of range"},
      {oneTrackMidiFile({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 100}), "8 bytes after the end-of-track"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(decodeMidi(b.bytes, "bad.mid", midi, error)) << b.reason;
    EXPECT_NE(error.find(b.reason), std::string::npos) << error;
  }

  std::vector<uint8_t> format2 = oneTrackMidiFile({});
  format2[9] = 2;
  EXPECT_FALSE(decodeMidi(format2, "bad.mid", midi, error));
  EXPECT_NE(error.find("format 2"), std::string::npos) << error;
  std::vector<uint8_t> longHeader = oneTrackMidiFile({});
  longHeader[7] = 8;
  longHeader.insert(longHeader.begin() + 14, {0, 0});
  EXPECT_FALSE(decodeMidi(longHeader, "bad.mid", midi, error));
  EXPECT_NE(error.find("header of 8 bytes"), std::string::npos) << error;

  // A track without its end, and a header announcing more tracks than there are.
  std::vector<uint8_t> noEnd = oneTrackMidiFile({0x00, 0x90, 60, 100});
  noEnd.resize(noEnd.size() - 4);
  noEnd[21] = static_cast<uint8_t>(noEnd[21] - 4);
  EXPECT_FALSE(decodeMidi(noEnd, "bad.mid", midi, error));
  EXPECT_NE(error.find("no end-of-track"), std::string::npos) << error;
  std::vector<uint8_t> twoTracks = oneTrackMidiFile({});
  twoTracks[9] = 1;
  twoTracks[11] = 2;
  EXPECT_FALSE(decodeMidi(twoTracks, "bad.mid", midi, error));
  EXPECT_NE(error.find("announces 2 tracks, the file holds 1"), std::string::npos) << error;
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

TEST(TempoMap, ReadFromEveryTempoEventOfTheFile) {
  MidiInfo midi;
  std::string error;
  ASSERT_TRUE(decodeMidi(twoTempoPiece(), "two.mid", midi, error)) << error;
  EXPECT_EQ(midi.length, kTwoTempoLength);
  EXPECT_EQ(midi.microsecondsPerQuarter, 500000);
  ASSERT_EQ(midi.tempos->stretches(), 2u);
  EXPECT_EQ(midi.tempos->tempoAt(kTwoTempoChangeTick), 1000000);
  EXPECT_EQ(midi.tempos->microsecondsAt(kTwoTempoLength), 12000000);
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
