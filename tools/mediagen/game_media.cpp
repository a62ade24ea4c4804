#include "game_media.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "roadsong.h"
#include "sound_effects.h"
#include "wave_file.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kSampleRate = 44100;
// Seven robots may step at once: the footstep peaks low enough that seven
// of them together stay below full scale.
constexpr double kFootstepPeak = 0.14;
// The engine's mix lifts the effects 2.8 times (about 9 dB) so footsteps
// a few rooms away are heard over the music; the sounds heard close by
// leave room for that.
constexpr double kDeathPeak = 0.28;
constexpr double kFirePeak = 0.1;
constexpr double kRobotDownPeak = 0.2;

std::vector<uint8_t> footstep() { return monoWaveFile(toPcm16(clankSound(kSampleRate), kFootstepPeak), kSampleRate); }
std::vector<uint8_t> caught() { return monoWaveFile(toPcm16(deathSound(kSampleRate), kDeathPeak), kSampleRate); }
std::vector<uint8_t> fire() { return monoWaveFile(toPcm16(fireSound(kSampleRate), kFirePeak), kSampleRate); }
std::vector<uint8_t> robotDown() {
  return monoWaveFile(toPcm16(robotDownSound(kSampleRate), kRobotDownPeak), kSampleRate);
}

}  // namespace

const std::vector<MediaFile>& gameMedia() {
  static const std::vector<MediaFile> files{{"Roadsong.mid", "music", roadsongMidi},
                                            {"gun.wav", "footstep", footstep},
                                            {"dead.wav", "caught", caught},
                                            {"fire.wav", "fire", fire},
                                            {"robot_down.wav", "robot_down", robotDown}};
  return files;
}

bool writeMediaFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    error = path.string() + ": cannot be written (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

}  // namespace mediagen

}  // namespace cog
