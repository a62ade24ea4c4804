#pragma once
// Test helpers for level files: a level's five texts, writing them (with
// small images) into a temporary folder, and loading them from memory (on
// the test device of support/test_device.h).

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "support/test_device.h"

namespace cog {

// The five level files of one level.
struct LevelText {
  std::string lbank;
  std::string dat;
  std::string objects;
  std::string enin;
  std::string shot;

  // By file name ("Lbank.txt" ...); null for another name.
  std::string* file(const std::string& fileName);
};

// The checked-in worked examples.
std::filesystem::path testDataDir();
std::string readTextFile(const std::filesystem::path& path);
// A level folder's five files.
LevelText readLevelFolder(const std::filesystem::path& folder);
// The worked example with five level textures (tests/data/levels/worked5).
LevelText workedLevel();

// A fresh folder under the system temporary folder, removed with its
// contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes the five files into `folder`, with every image they may name that
// the worked levels use (stone.bmp, light0.bmp, light1.bmp).
void writeLevelFolder(const std::filesystem::path& folder, const LevelText& text);
// A small 24-bit BMP of one colour.
void writeBmp(const std::filesystem::path& path, int width, int height, uint8_t r, uint8_t g, uint8_t b);

// Changes the working folder for the life of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::filesystem::path& folder);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;

 private:
  std::filesystem::path saved_;
};

// Runs start-up's level step (load, room graph, reset) on the texts in
// memory, on the game's device.
Status loadLevelText(Game& game, const LevelText& text);

}  // namespace cog
