// cogstorm-mediagen: two runs write the same bytes, and what they write
// passes the game's own media checks with the shape the game relies on.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "audio/rec/silent_engine.h"
#include "support/level_files.h"
#include "tools/mediagen/game_media.h"

namespace cog {

namespace {

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int runGenerator(const std::filesystem::path& dir) {
  const std::string command = std::string("'") + COGSTORM_MEDIAGEN + "' '" + dir.string() + "'";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class Mediagen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    first_ = new TempDir();
    second_ = new TempDir();
    firstStatus_ = runGenerator(first_->path() / "media");
    secondStatus_ = runGenerator(second_->path() / "media");
  }
  static void TearDownTestSuite() {
    delete first_;
    delete second_;
  }
  static std::filesystem::path file(const char* name) { return first_->path() / "media" / name; }

  static inline TempDir* first_ = nullptr;
  static inline TempDir* second_ = nullptr;
  static inline int firstStatus_ = -1;
  static inline int secondStatus_ = -1;
};

// Both runs, and the library the level compiler writes its media with.
TEST_F(Mediagen, TwoRunsWriteTheSameBytes) {
  ASSERT_EQ(firstStatus_, 0);
  ASSERT_EQ(secondStatus_, 0);
  std::vector<std::string> names;
  for (const mediagen::MediaFile& media : mediagen::gameMedia()) names.push_back(media.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Roadsong.mid", "gun.wav", "dead.wav", "fire.wav", "robot_down.wav"}));
  for (const mediagen::MediaFile& media : mediagen::gameMedia()) {
    SCOPED_TRACE(media.name);
    const std::vector<uint8_t> bytes = fileBytes(file(media.name));
    EXPECT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == fileBytes(second_->path() / "media" / media.name));
    EXPECT_TRUE(bytes == media.make());
  }
}

TEST_F(Mediagen, MusicIsAFourPartPieceOfOneToThreeMinutesWithATempoChange) {
  Result<MidiInfo> read = readMidiFile(file("Roadsong.mid"));
  ASSERT_TRUE(read) << read.message();
  const MidiInfo& info = read.value();
  EXPECT_EQ(info.pulsesPerQuarter, 768);
  EXPECT_EQ(info.length % (4 * 768), 0) << "ends on a bar line";
  ASSERT_GT(info.length, 5000) << "the game starts the music at 5000";

  MidiLayout layout;
  std::vector<int> tempos;
  std::set<int> programmed, sounding;
  const Status walked = walkMidi(info.bytes, "Roadsong.mid", layout, [&](const MidiEvent& e) {
    const uint8_t* b = e.data;
    if (e.status == 0xFF && e.metaType == 0x51) tempos.push_back((b[0] << 16) | (b[1] << 8) | b[2]);
    if ((e.status & 0xF0) == 0xC0) programmed.insert(e.status & 0x0F);
    if ((e.status & 0xF0) == 0x90 && b[1] > 0) sounding.insert(e.status & 0x0F);
  });
  ASSERT_TRUE(walked) << walked.message();
  EXPECT_EQ(layout.format, 1);
  EXPECT_EQ(layout.tracks, 5);
  // Drums on channel 10 (9 counted from 0), bass, chords and lead.
  EXPECT_EQ(sounding, (std::set<int>{0, 1, 2, 9}));
  EXPECT_EQ(programmed, sounding);
  ASSERT_EQ(tempos.size(), 2u);
  EXPECT_NE(tempos[0], tempos[1]);
  const double seconds = static_cast<double>(info.tempos->microsecondsAt(info.length)) / 1e6;
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 180.0);
}

TEST_F(Mediagen, EffectsHaveTheirLengthsAndLeaveHeadroom) {
  struct Case {
    const char* name;
    double seconds;
    int maxPeak;  // a footstep may sound seven times at once
    int minPeak;
  };
  const Case cases[] = {
      {"gun.wav", 0.150, 32767 / 7, 2000},
      {"dead.wav", 1.5, 32767 / 3, 8000},  // the mix lifts effects 2.8 times
      {"fire.wav", 0.180, 32767 / 8, 2000},
      {"robot_down.wav", 0.700, 32767 / 4, 4000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result<WaveSound> read = readWaveFile(file(c.name), true);
    ASSERT_TRUE(read) << read.message();
    const WaveSound& wave = read.value();
    EXPECT_EQ(wave.channels, 1);
    EXPECT_NEAR(static_cast<double>(wave.frames) / wave.sampleRate, c.seconds, 0.01);
    int peak = 0;
    for (int16_t s : wave.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LE(peak, c.maxPeak);
    EXPECT_GE(peak, c.minPeak);
    EXPECT_EQ(wave.samples.back(), 0) << "fades out to silence";
  }
}

}  // namespace

}  // namespace cog
