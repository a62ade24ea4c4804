// The sounding engine on an OpenAL Soft loopback device with FluidSynth:
// loading and its errors, effects, the music stream, 3D panning, the music
// clock and the pause arithmetic of the game on top of it. Everything is
// driven by the frames rendered, never by the wall clock, and needs no sound
// card.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audio/al/al_engine.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "support/test_game.h"
#include "support/loopback.h"

namespace cog {

namespace {

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";
constexpr int kRate = kLoopbackRate;
// Roadsong.mid: 100 bpm, so one second is 1280 music ticks.
constexpr double kTicksPerSecond = 768.0 * 1000000.0 / 600000.0;

std::unique_ptr<AlAudioEngine> openEngine() { return openLoopbackEngine(); }

// The listener at the origin facing +z, the source beside it.
void placeNear(AlAudioEngine& engine) {
  engine.SetListenerPosition(0.0f, 0.0f, 0.0f, false);
  engine.SetListenerOrientation(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 1.0f, 0.0f), false);
  engine.SetSourcePosition(0.0f, 0.0f, 0.5f, false);
}

SegmentId load(AlAudioEngine& engine, const std::string& name) {
  std::string error;
  const SegmentId id = engine.LoadSegment(kMedia + name, error);
  EXPECT_NE(id, 0) << error;
  return id;
}

// ---------------------------------------------------------------------------

TEST(AlEngineOpen, LoopbackOpensAndTheDefaultDeviceFailsClearlyOrOpens) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->sampleRate(), kRate);

  // Machines without a sound card (CI) cannot open the default device; the
  // message must say why so the game can report it and fall back.
  auto device = AlAudioEngine::open();
  if (!device) {
    EXPECT_NE(device.message().find("audio"), std::string::npos) << device.message();
  }
}

TEST(AlEngineOpen, WithoutAUsableSoundFontTheEffectsPlayAndTheMusicIsSilent) {
  struct Case {
    SoundFontChoice soundFont;
    const char* problem;  // in musicProblem()
  };
  const Case cases[] = {
      {chooseSoundFont("", nullptr, {}), "no SoundFont found"},
      {{kMedia + "gun.wav", ""}, "gun.wav cannot be loaded as a SoundFont"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    auto engine = openLoopbackEngine(c.soundFont);
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(engine->musicProblem().find(c.problem), std::string::npos) << engine->musicProblem();
    EXPECT_NE(engine->musicProblem().find("--soundfont"), std::string::npos) << engine->musicProblem();
    placeNear(*engine);
    const SegmentId music = load(*engine, "Roadsong.mid");
    const SegmentId gun = load(*engine, "gun.wav");
    engine->PlaySegment(music, false);
    EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.5)), 0.0);
    // The silent music still keeps time, so a pause resumes where it would have.
    EXPECT_TRUE(engine->musicSounding());
    EXPECT_NEAR(engine->GetTime(), 0.5 * kTicksPerSecond, 2.0);
    engine->PlaySegment(gun, true);
    EXPECT_GT(rmsBoth(renderSeconds(*engine, 0.1)), 0.01);
  }
  // With a SoundFont there is nothing to say.
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->musicProblem(), "");
  const auto slow = AlAudioEngine::openLoopback(1000);
  EXPECT_FALSE(slow.ok());
  EXPECT_NE(slow.message().find("1000"), std::string::npos) << slow.message();
}

TEST(AlEngineLoad, LoadsTheFixturesWithTheSilentEnginesLengths) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  SilentAudioEngine silent;
  for (const char* name : {"Roadsong.mid", "gun.wav", "dead.wav"}) {
    std::string error;
    const SegmentId al = engine->LoadSegment(kMedia + name, error);
    const SegmentId rec = silent.LoadSegment(kMedia + name, error);
    ASSERT_NE(al, 0) << error;
    EXPECT_EQ(engine->GetLength(al), silent.GetLength(rec)) << name;
  }
  EXPECT_EQ(engine->GetLength(1), 32 * 768);
  engine->SetRepeats(1, 1);
  EXPECT_EQ(engine->GetRepeats(1), 1u);
  MusicTime start = -1;
  MusicTime end = -1;
  engine->GetLoopPoints(1, start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
  // Unknown segments and states answer 0 and play nothing.
  EXPECT_EQ(engine->PlaySegment(99, true), 0);
  EXPECT_EQ(engine->GetLength(99), 0);
  EXPECT_EQ(engine->GetStartTime(12345), 0);
}

TEST(AlEngineLoad, BrokenFilesFailWithTheSilentEnginesMessages) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  SilentAudioEngine silent;
  for (const char* name : {"Roadsong_truncated.mid", "not_midi.mid", "gun_truncated.wav", "not_wav.wav", "empty.wav",
                           "missing.wav", "missing.mid"}) {
    std::string alError;
    std::string silentError;
    EXPECT_EQ(engine->LoadSegment(kMedia + name, alError), 0) << name;
    EXPECT_EQ(silent.LoadSegment(kMedia + name, silentError), 0) << name;
    EXPECT_FALSE(alError.empty()) << name;
    EXPECT_EQ(alError, silentError) << name;
    EXPECT_NE(alError.find(name), std::string::npos) << alError;
  }
}

// ---------------------------------------------------------------------------

TEST(AlEngineEffects, AnEffectSoundsForItsLengthThenFallsSilent) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  placeNear(*engine);
  const SegmentId gun = load(*engine, "gun.wav");  // 0.1 s
  EXPECT_NE(engine->PlaySegment(gun, true), 0);
  EXPECT_EQ(engine->effectsSounding(), 1);
  const std::vector<float> out = renderSeconds(*engine, 0.3);
  EXPECT_GT(rmsBoth(out, 0, kRate / 10), 0.01);
  EXPECT_LT(rmsBoth(out, kRate / 10 + kRate / 50), 1e-6);
  EXPECT_EQ(engine->effectsSounding(), 0);
}

TEST(AlEngineEffects, RepeatsAndStartPointsOfAnEffect) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  placeNear(*engine);
  const SegmentId gun = load(*engine, "gun.wav");  // 0.1 s
  engine->SetRepeats(gun, 1);
  engine->PlaySegment(gun, true);
  std::vector<float> out = renderSeconds(*engine, 0.3);
  EXPECT_GT(rmsBoth(out, kRate / 10 + kRate / 100, kRate / 5 - kRate / 100), 0.01);  // the second pass
  EXPECT_LT(rmsBoth(out, kRate / 5 + kRate / 50), 1e-6);

  // Starting half-way (the clock's default 120 bpm: 0.05 s is 76 ticks)
  // leaves half the sound.
  engine->SetRepeats(gun, 0);
  engine->SetStartPoint(gun, 77);
  engine->PlaySegment(gun, true);
  out = renderSeconds(*engine, 0.1);
  EXPECT_GT(rmsBoth(out, 0, kRate / 25), 0.01);
  EXPECT_LT(rmsBoth(out, kRate / 20 + kRate / 100), 1e-6);

  // For ever, until stopped.
  engine->SetStartPoint(gun, 0);
  engine->SetRepeats(gun, kRepeatInfinite);
  engine->PlaySegment(gun, true);
  out = renderSeconds(*engine, 1.0);
  EXPECT_GT(rmsBoth(out, kRate * 9 / 10), 0.01);
  engine->Stop();
  EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.1)), 0.0);
}

TEST(AlEngineEffects, TwoEffectsMixWithoutStoppingEachOtherOrTheMusic) {
  // Each sound alone, then both started together: the mix is their sum.
  auto renderWith = [](bool gun, bool dead) {
    auto engine = openEngine();
    if (engine == nullptr) return std::vector<float>();  // reported by openEngine
    placeNear(*engine);
    const SegmentId g = load(*engine, "gun.wav");
    const SegmentId d = load(*engine, "dead.wav");
    if (gun) engine->PlaySegment(g, true);
    if (dead) engine->PlaySegment(d, true);
    return renderSeconds(*engine, 0.12);
  };
  const std::vector<float> a = renderWith(true, false);
  const std::vector<float> b = renderWith(false, true);
  const std::vector<float> both = renderWith(true, true);
  ASSERT_EQ(both.size(), a.size());
  ASSERT_EQ(b.size(), a.size());
  double worst = 0.0;
  for (size_t i = 0; i < both.size(); ++i) worst = std::max(worst, double(std::fabs(both[i] - (a[i] + b[i]))));
  EXPECT_LT(worst, 1e-4);
  EXPECT_GT(rmsBoth(a), 0.01);
  EXPECT_GT(rmsBoth(b), 0.01);

  // Effects over the music, more of them than there are sources: the music
  // keeps playing and the newest effects sound.
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  placeNear(*engine);
  const SegmentId music = load(*engine, "Roadsong.mid");
  const SegmentId gun = load(*engine, "gun.wav");
  engine->PlaySegment(music, false);
  renderSeconds(*engine, 0.05);
  for (int i = 0; i < AlAudioEngine::kEffectSources + 4; ++i) EXPECT_NE(engine->PlaySegment(gun, true), 0);
  EXPECT_EQ(engine->effectsSounding(), AlAudioEngine::kEffectSources);
  renderSeconds(*engine, 0.05);
  EXPECT_TRUE(engine->musicSounding());
}

// ---------------------------------------------------------------------------

TEST(AlEngineMusic, MusicSoundsAndStopSilencesEverything) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  placeNear(*engine);
  const SegmentId music = load(*engine, "Roadsong.mid");
  const SegmentId gun = load(*engine, "gun.wav");
  EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.1)), 0.0);
  engine->PlaySegment(music, false);
  EXPECT_GT(rmsBoth(renderSeconds(*engine, 1.0)), 0.005);
  EXPECT_TRUE(engine->musicSounding());
  engine->PlaySegment(gun, true);
  renderSeconds(*engine, 0.02);
  engine->Stop();
  EXPECT_FALSE(engine->musicSounding());
  EXPECT_EQ(engine->effectsSounding(), 0);
  EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.5)), 0.0);
}

// The presentation's pause holds the music, its clock and the effects
// where they are; the volumes scale the mix, 0 being silence.
TEST(AlEnginePresentation, PauseHoldsEverythingAndVolumesScaleTheMix) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  placeNear(*engine);
  const SegmentId music = load(*engine, "Roadsong.mid");
  const SegmentId gun = load(*engine, "gun.wav");
  engine->PlaySegment(music, false);
  renderSeconds(*engine, 0.5);
  engine->SetPaused(true);
  const MusicTime held = engine->GetTime();
  engine->PlaySegment(gun, true);  // waits for the pause to end
  EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.5)), 0.0);
  EXPECT_EQ(engine->GetTime(), held);
  engine->SetPaused(false);
  const std::vector<float> after = renderSeconds(*engine, 0.5);
  EXPECT_GT(rmsBoth(after), 0.005);
  EXPECT_NEAR(engine->GetTime(), held + 0.5 * kTicksPerSecond, 0.05 * kTicksPerSecond);

  const struct {
    float music, effects;
    bool heard;
  } volumes[] = {{0.0f, 0.0f, false}, {0.0f, 1.0f, true}, {1.0f, 0.0f, true}, {-1.0f, 0.0f, false}};
  for (const auto& v : volumes) {
    SCOPED_TRACE(std::to_string(v.music) + " " + std::to_string(v.effects));
    engine->SetVolumes(v.music, v.effects);
    engine->PlaySegment(gun, true);
    // OpenAL Soft glides to a new gain over its first mix (1024 frames).
    const double level = rmsBoth(renderSeconds(*engine, 0.1), kRate / 20);
    if (v.heard) {
      EXPECT_GT(level, 1e-3);
    } else {
      EXPECT_LT(level, 1e-5);
    }
  }
}

TEST(AlEngineMusic, StartPointSeeksAndRepeatsPlayThePieceAgain) {
  // One quarter note (0.6 s) before the end, no repeats: over after the
  // last notes have died away (FluidSynth gives them two seconds), long
  // before the 19.2 s of the whole piece.
  {
    auto engine = openEngine();
    ASSERT_NE(engine, nullptr);
    const SegmentId music = load(*engine, "Roadsong.mid");
    engine->SetStartPoint(music, engine->GetLength(music) - 768);
    engine->PlaySegment(music, false);
    renderSeconds(*engine, 0.5);
    EXPECT_TRUE(engine->musicSounding());
    renderSeconds(*engine, 3.5);
    EXPECT_FALSE(engine->musicSounding());
    // The clock counts what sounded, the dying notes too.
    EXPECT_GT(engine->GetTime(), 768);
    EXPECT_LT(engine->GetTime(), 768 + 3.0 * kTicksPerSecond);
  }
  // The same with repeats 1: the piece plays again from its beginning.
  {
    auto engine = openEngine();
    ASSERT_NE(engine, nullptr);
    const SegmentId music = load(*engine, "Roadsong.mid");
    engine->SetRepeats(music, 1);
    engine->SetStartPoint(music, engine->GetLength(music) - 768);
    engine->PlaySegment(music, false);
    const std::vector<float> out = renderSeconds(*engine, 4.0);
    EXPECT_TRUE(engine->musicSounding());
    EXPECT_GT(rmsBoth(out, 3 * kRate, 4 * kRate), 0.005);
  }
  // A primary play replaces the music playing: the piece restarts once.
  {
    auto engine = openEngine();
    ASSERT_NE(engine, nullptr);
    const SegmentId music = load(*engine, "Roadsong.mid");
    engine->SetStartPoint(music, engine->GetLength(music) - 768);
    engine->PlaySegment(music, false);
    renderSeconds(*engine, 0.3);
    engine->PlaySegment(music, false);
    renderSeconds(*engine, 0.5);
    EXPECT_TRUE(engine->musicSounding());
    renderSeconds(*engine, 3.5);
    EXPECT_FALSE(engine->musicSounding());
  }
}

// ---------------------------------------------------------------------------

TEST(AlEngine3D, TheSourceOnTheListenersRightIsLouderOnTheRight) {
  auto measure = [](const Vec3& front, const Vec3& source) {
    auto engine = openEngine();
    if (engine == nullptr) return std::make_pair(0.0, 0.0);  // reported by openEngine
    engine->SetListenerPosition(0.0f, 0.0f, 0.0f, false);
    engine->SetListenerOrientation(front, Vec3(0.0f, 1.0f, 0.0f), false);
    engine->SetSourcePosition(source.x, source.y, source.z, true);
    const SegmentId gun = load(*engine, "gun.wav");
    engine->PlaySegment(gun, true);
    const std::vector<float> out = renderSeconds(*engine, 0.1);
    return std::make_pair(rms(out, 0), rms(out, 1));
  };
  // Facing +z with y up, +x is on the right (the game's left-handed space).
  const auto [l1, r1] = measure(Vec3(0.0f, 0.0f, 1.0f), Vec3(2.0f, 0.0f, 0.0f));
  EXPECT_GT(r1, 2.0 * l1);
  EXPECT_GT(r1, 0.001);
  // Turned round, the same source is on the left.
  const auto [l2, r2] = measure(Vec3(0.0f, 0.0f, -1.0f), Vec3(2.0f, 0.0f, 0.0f));
  EXPECT_GT(l2, 2.0 * r2);
  // Facing +x, a source ahead-left at -z... on the left; and distance dims it.
  const auto [l3, r3] = measure(Vec3(1.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 2.0f));
  EXPECT_GT(l3, 2.0 * r3);
  const auto [l4, r4] = measure(Vec3(0.0f, 0.0f, 1.0f), Vec3(20.0f, 0.0f, 0.0f));
  EXPECT_LT(r4, r1 * 0.2);
  EXPECT_GT(r4, 0.0);
  (void)l4;
}

// ---------------------------------------------------------------------------

TEST(AlEngineClock, TheClockFollowsTheMusicPlayedAtTheFilesTempo) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  const SegmentId music = load(*engine, "Roadsong.mid");
  EXPECT_EQ(engine->GetTime(), 0);
  renderSeconds(*engine, 0.5);
  EXPECT_EQ(engine->GetTime(), 0);  // no music, no music time

  engine->SetStartPoint(music, 5000);
  const SegmentStateId state = engine->PlaySegment(music, false);
  EXPECT_EQ(engine->GetStartTime(state), 0);
  EXPECT_EQ(engine->GetStartPoint(state), 5000);
  renderSeconds(*engine, 2.0);
  EXPECT_NEAR(engine->GetTime(), 2.0 * kTicksPerSecond, 2.0);
  renderSeconds(*engine, 1.0);
  EXPECT_NEAR(engine->GetTime(), 3.0 * kTicksPerSecond, 2.0);
  engine->Stop();
  const MusicTime stopped = engine->GetTime();
  renderSeconds(*engine, 1.0);
  EXPECT_EQ(engine->GetTime(), stopped);

  // A later play starts at the clock where it stood.
  const SegmentStateId again = engine->PlaySegment(music, false);
  EXPECT_EQ(engine->GetStartTime(again), stopped);
  EXPECT_EQ(engine->GetStartTime(state), 0);
}

TEST(AlEngineClock, PauseAndResumeThroughTheGameResumesWhereItStopped) {
  auto engine = openEngine();
  ASSERT_NE(engine, nullptr);
  TestGame t;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(kMedia.c_str()), 0);
  const Status status = t.audio.setup(*engine);
  ASSERT_EQ(chdir(cwd), 0);
  ASSERT_TRUE(status.ok()) << status.message();

  renderSeconds(*engine, 3.0);
  t.audio.ToggleMusic();  // pause
  EXPECT_EQ(t.audio.musicPlaying, 0);
  EXPECT_NEAR(t.audio.musicStartPoint, 5000 + 3.0 * kTicksPerSecond, 3.0);
  EXPECT_FALSE(engine->musicSounding());
  EXPECT_EQ(rmsBoth(renderSeconds(*engine, 0.5)), 0.0);

  const MusicTime paused = t.audio.musicStartPoint;
  t.audio.ToggleMusic();  // resume
  EXPECT_EQ(t.audio.musicPlaying, 1);
  EXPECT_GT(rmsBoth(renderSeconds(*engine, 2.0)), 1e-3);
  t.audio.ToggleMusic();
  EXPECT_NEAR(t.audio.musicStartPoint, paused + 2.0 * kTicksPerSecond, 3.0);

  // Into the repeat: the piece is 24576 ticks long, so after the first pass
  // ends the resume point folds back to the start of the piece.
  t.audio.ToggleMusic();
  const double toEnd = (32 * 768 - t.audio.musicStartPoint) / kTicksPerSecond;
  renderSeconds(*engine, toEnd + 1.0);
  t.audio.ToggleMusic();
  EXPECT_NEAR(t.audio.musicStartPoint, 1.0 * kTicksPerSecond, 30.0);
  t.audio.shutdown();
}

}  // namespace

}  // namespace cog
