#pragma once
// The game's music and sounds as the media generator makes them: one list
// of files by the names the game opens, for cogstorm-mediagen and for the
// level compiler, which puts them beside a level that names none of its own.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cog {

namespace mediagen {

struct MediaFile {
  const char* name;  // as the game opens it: "Roadsong.mid", "gun.wav", ...
  const char* role;  // what it is to a level author: "music", "footstep", ...
  std::vector<uint8_t> (*make)();
};

// Roadsong.mid (music), gun.wav (footstep), dead.wav (caught), fire.wav
// (fire) and robot_down.wav (robot_down), in that order. Every call to a
// file's `make` gives the same bytes.
const std::vector<MediaFile>& gameMedia();

// Writes `bytes` to `path`; false with `error` naming the file.
bool writeMediaFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace mediagen

}  // namespace cog
