// cogstorm-mediagen OUTDIR: writes the game's music and sound effects,
// "Roadsong.mid", "gun.wav" and "dead.wav", and the two feedback sounds
// "fire.wav" and "robot_down.wav", into OUTDIR (made if missing).
// Everything is composed and synthesized here from fixed rules and seeds,
// so every run writes the same bytes.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "game_media.h"

namespace cog {

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
  for (const mediagen::MediaFile& file : mediagen::gameMedia()) {
    std::string error;
    if (!mediagen::writeMediaFile(dir / file.name, file.make(), error)) {
      std::fprintf(stderr, "cogstorm-mediagen: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace cog

int main(int argc, char** argv) { return cog::programMain(argc, argv); }
