// cogstorm-mediagen OUTDIR: writes the game's music and sound effects,
// "Roadsong.mid", "gun.wav" and "dead.wav", and the two feedback sounds
// "fire.wav" and "robot_down.wav", into OUTDIR (made if missing).
// Everything is composed and synthesized here from fixed rules and seeds,
// so every run writes the same bytes.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "roadsong.h"
#include "sound_effects.h"
#include "wave_file.h"

namespace cog {

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

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cogstorm-mediagen: %s: cannot be written (%s)\n", path.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

int programMain(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: cogstorm-mediagen OUTDIR\n"
                         "writes Roadsong.mid, gun.wav, dead.wav, fire.wav and robot_down.wav into OUTDIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "cogstorm-mediagen: %s: cannot make the folder (%s)\n", dir.c_str(), ec.message().c_str());
    return 1;
  }
  using namespace mediagen;
  const bool ok =
      writeFile(dir / "Roadsong.mid", roadsongMidi()) &&
      writeFile(dir / "gun.wav", monoWaveFile(toPcm16(clankSound(kSampleRate), kFootstepPeak), kSampleRate)) &&
      writeFile(dir / "dead.wav", monoWaveFile(toPcm16(deathSound(kSampleRate), kDeathPeak), kSampleRate)) &&
      writeFile(dir / "fire.wav", monoWaveFile(toPcm16(fireSound(kSampleRate), kFirePeak), kSampleRate)) &&
      writeFile(dir / "robot_down.wav",
                monoWaveFile(toPcm16(robotDownSound(kSampleRate), kRobotDownPeak), kSampleRate));
  return ok ? 0 : 1;
}

}  // namespace cog

int main(int argc, char** argv) { return cog::programMain(argc, argv); }
