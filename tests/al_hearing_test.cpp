// What the player hears, through the OpenAL Soft loopback device: effects
// sound from where they started, the music stays at the listener, seven
// footsteps in one tick are seven, and a pause of a piece that changes
// tempo resumes where the music stopped, on both engines alike.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/al/al_engine.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "support/test_game.h"
#include "support/loopback.h"
#include "support/midi_pieces.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";
const Vec3 kUp(0.0f, 1.0f, 0.0f);

SegmentId load(AudioEngine& engine, const std::string& path) {
  std::string error;
  const SegmentId id = engine.LoadSegment(path, error);
  EXPECT_NE(id, 0) << error;
  return id;
}

TEST(Hearing, AnEffectSoundsFromWhereItStartedWhileTheSourceMovesOn) {
  struct Case {
    const char* what;
    Vec3 front;  // the listener's, standing at the origin
    Vec3 from;   // the source when the footstep starts
    Vec3 to;     // the source a moment later, for the next robot
    bool right;  // the footstep is on the listener's right
  };
  const Case cases[] = {
      {"to the right, then the source goes left", Vec3(0, 0, 1), Vec3(2, 0, 0), Vec3(-2, 0, 0), true},
      {"to the left, then the source goes right", Vec3(0, 0, 1), Vec3(-2, 0, 0), Vec3(2, 0, 0), false},
      {"turned round, +x is on the left", Vec3(0, 0, -1), Vec3(2, 0, 0), Vec3(-2, 0, 0), false},
      {"facing +x, +z is on the left", Vec3(1, 0, 0), Vec3(0, 0, -2), Vec3(0, 0, 2), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto engine = openLoopbackEngine();
    ASSERT_NE(engine, nullptr);
    engine->SetListenerOrientation(c.front, kUp, false);
    engine->SetListenerPosition(0, 0, 0, false);
    const SegmentId gun = load(*engine, kMedia + "gun.wav");  // 0.1 s
    engine->SetSourcePosition(c.from.x, c.from.y, c.from.z, true);
    engine->PlaySegment(gun, true);
    // The source moves on every 33 ms while the footstep sounds.
    std::vector<float> heard;
    for (int i = 0; i < 3; ++i) {
      const Vec3& at = i % 2 == 0 ? c.to : c.from;
      engine->SetSourcePosition(at.x, at.y, at.z, true);
      const std::vector<float> part = renderSeconds(*engine, 0.033);
      heard.insert(heard.end(), part.begin(), part.end());
    }
    const double near = rms(heard, c.right ? 1 : 0);
    const double far = rms(heard, c.right ? 0 : 1);
    EXPECT_GT(near, 0.01);
    EXPECT_GT(dBFS(near) - dBFS(far), 6.0) << "near " << dBFS(near) << " dB, far " << dBFS(far) << " dB";

    // The next footstep sounds where the source is now: the other side.
    renderSeconds(*engine, 0.1);
    engine->SetSourcePosition(c.to.x, c.to.y, c.to.z, true);
    engine->PlaySegment(gun, true);
    const std::vector<float> next = renderSeconds(*engine, 0.1);
    EXPECT_GT(dBFS(rms(next, c.right ? 0 : 1)) - dBFS(rms(next, c.right ? 1 : 0)), 6.0);
  }
}

TEST(Hearing, TheMusicStaysAtTheListenerWhereverThePlayerWalks) {
  // Sound space is the world over 100: the player caught and moved to
  // (-1900, y, 9900) stands at (-19, 0, 99).
  struct Walk {
    const char* what;
    Vec3 from;
    Vec3 step;  // each 33 ms
    float heading;  // degrees
  };
  const Walk walks[] = {
      {"standing at the origin", Vec3(0, 0, 0), Vec3(0, 0, 0), 0.0f},
      {"walking away along +z", Vec3(0, 0, 0), Vec3(0, 0, 0.5f), 0.0f},
      {"far off, turning", Vec3(-19, 0, 99), Vec3(0.1f, 0, 0), 135.0f},
  };
  std::vector<float> reference;
  for (const Walk& w : walks) {
    SCOPED_TRACE(w.what);
    auto engine = openLoopbackEngine();
    ASSERT_NE(engine, nullptr);
    const SegmentId music = load(*engine, kMedia + "Roadsong.mid");
    engine->SetSourcePosition(-10.0f, 0.0f, 0.0f, false);
    engine->PlaySegment(music, false);
    std::vector<float> heard;
    for (int i = 0; i < 60; ++i) {
      const float h = (w.heading + 3.0f * static_cast<float>(i)) * 0.017453292f;
      engine->SetListenerOrientation(Vec3(std::sin(h), 0, std::cos(h)), kUp, true);
      const float k = static_cast<float>(i);
      const Vec3 at(w.from.x + w.step.x * k, w.from.y + w.step.y * k, w.from.z + w.step.z * k);
      engine->SetListenerPosition(at.x, at.y, at.z, true);
      // A robot's footstep position moves the source, not the music.
      engine->SetSourcePosition(at.x + 5.0f, 0.0f, at.z - 3.0f, true);
      const std::vector<float> part = renderSeconds(*engine, 0.033);
      heard.insert(heard.end(), part.begin(), part.end());
    }
    EXPECT_GT(rmsBoth(heard), 0.003);
    // Centred: the two sides within 1 dB.
    EXPECT_NEAR(dBFS(rms(heard, 0)), dBFS(rms(heard, 1)), 1.0);
    if (reference.empty()) {
      reference = heard;
      continue;
    }
    ASSERT_EQ(heard.size(), reference.size());
    double worst = 0.0;
    for (size_t i = 0; i < heard.size(); ++i) worst = std::max(worst, double(std::fabs(heard[i] - reference[i])));
    EXPECT_LT(worst, 1e-6) << "the music changed as the player moved";
  }
}

TEST(Hearing, EveryFootstepOfATickIsHeardUpToTheVoices) {
  // The same footstep started n times in one tick at one place adds up n
  // times over, as long as there are voices for them.
  const int counts[] = {1, 7, AlAudioEngine::kEffectSources, AlAudioEngine::kEffectSources + 8};
  double single = 0.0;
  for (int n : counts) {
    SCOPED_TRACE(n);
    auto engine = openLoopbackEngine();
    ASSERT_NE(engine, nullptr);
    engine->SetSourcePosition(0.0f, 0.0f, 0.5f, false);
    const SegmentId gun = load(*engine, kMedia + "gun.wav");
    for (int i = 0; i < n; ++i) engine->PlaySegment(gun, true);
    const int voices = std::min(n, AlAudioEngine::kEffectSources);
    EXPECT_EQ(engine->effectsSounding(), voices);
    const double level = rmsBoth(renderSeconds(*engine, 0.05));
    if (n == 1) single = level;
    EXPECT_NEAR(level / single, voices, 0.02 * voices);
  }
}

// The two-tempo piece as the game's music, with the game's own effects, in
// a folder of its own; the game loads its media by bare name.
class TwoTempoMusic : public GameTest {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("cogstorm-tempo-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    const std::vector<uint8_t> piece = twoTempoPiece();
    std::ofstream(dir_ / "Roadsong.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    fs::copy_file(kMedia + "gun.wav", dir_ / "gun.wav");
    fs::copy_file(kMedia + "dead.wav", dir_ / "dead.wav");
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  fs::path dir_;
  fs::path previous_;
};

// The music starts at 5000 (6.51 quarter notes, 3.26 s in), plays for a
// while, pauses, and resumes; both engines must put the resume point where
// the tempo map says the music stood.
TEST_F(TwoTempoMusic, APauseResumesWhereTheMusicStoppedOnBothEngines) {
  const int64_t firstPassLeft = 12000000 - int64_t{5000} * 500000 / 768;  // microseconds
  struct Case {
    const char* what;
    int64_t playedMs;
    int64_t expected;  // music ticks into the piece
  };
  const Case cases[] = {
      {"across the tempo change", 2000, twoTempoTickAfter(5000, 2000000)},  // 7108
      // A second after the first pass ends, at 120 bpm again: 1535 ticks.
      {"into the repeat", firstPassLeft / 1000 + 1000, (firstPassLeft / 1000 * 1000 + 1000000 - firstPassLeft) * 768 / 500000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SilentAudioEngine silent;
    Status started = audio.setup(silent);
    ASSERT_TRUE(started.ok()) << started.message();
    silent.advance(c.playedMs);
    audio.ToggleMusic();
    EXPECT_NEAR(audio.musicStartPoint, c.expected, 1);
    audio.shutdown();

    auto engine = openLoopbackEngine();
    ASSERT_NE(engine, nullptr);
    started = audio.setup(*engine);
    ASSERT_TRUE(started.ok()) << started.message();
    renderSeconds(*engine, static_cast<double>(c.playedMs) / 1000.0);
    audio.ToggleMusic();
    EXPECT_NEAR(audio.musicStartPoint, c.expected, 3);
    EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.5)), 0.0);  // paused

    // Resumed, the next note comes when the piece says: it does not restart
    // the note it stopped in, so the first sound is that note's onset.
    audio.ToggleMusic();
    const int64_t quarter = (audio.musicStartPoint / 768 + 1) * 768;
    const int64_t tempo = audio.musicStartPoint < kTwoTempoChangeTick ? 500000 : 1000000;
    const double due = double(quarter - audio.musicStartPoint) * tempo / 768.0 / 1e6;
    const std::vector<float> resumed = renderSeconds(*engine, due + 0.2);
    size_t onset = 0;
    while (onset < resumed.size() / 2 && std::fabs(resumed[2 * onset]) < 1e-3f) ++onset;
    EXPECT_NEAR(double(onset) / kLoopbackRate, due, 0.03) << "the next note came at the wrong time";
    audio.shutdown();
  }
}

}  // namespace

}  // namespace cog
