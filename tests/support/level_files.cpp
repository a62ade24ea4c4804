#include "support/level_files.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "game/level_start.h"
#include "level/level_data.h"
#include "level/text_reader.h"

namespace cog {

std::string* LevelText::file(const std::string& fileName) {
  if (fileName == "Lbank.txt") return &lbank;
  if (fileName == "dat.txt") return &dat;
  if (fileName == "objects.txt") return &objects;
  if (fileName == "enin.txt") return &enin;
  if (fileName == "shot.txt") return &shot;
  return nullptr;
}

std::filesystem::path testDataDir() { return COGSTORM_TEST_DATA; }

std::string readTextFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

LevelText readLevelFolder(const std::filesystem::path& folder) {
  LevelText t;
  for (const char* name : {"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"})
    *t.file(name) = readTextFile(folder / name);
  return t;
}

LevelText workedLevel() { return readLevelFolder(testDataDir() / "levels" / "worked5"); }

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("cogstorm-level-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void writeBmp(const std::filesystem::path& path, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  const int row = (width * 3 + 3) & ~3;
  const uint32_t dataSize = static_cast<uint32_t>(row * height);
  std::vector<uint8_t> file(54 + dataSize, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    file[at] = static_cast<uint8_t>(v);
    file[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xffff);
    put16(at + 2, v >> 16);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, dataSize);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &file[54 + static_cast<size_t>(y * row + x * 3)];
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

void writeLevelFolder(const std::filesystem::path& folder, const LevelText& text) {
  LevelText copy = text;
  for (const char* name : {"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"}) {
    std::ofstream out(folder / name, std::ios::binary);
    out << *copy.file(name);
  }
  writeBmp(folder / "stone.bmp", 4, 4, 128, 120, 110);
  writeBmp(folder / "light0.bmp", 4, 4, 255, 255, 255);
  writeBmp(folder / "light1.bmp", 4, 4, 200, 200, 200);
}

ScopedChdir::ScopedChdir(const std::filesystem::path& folder) : saved_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

ScopedChdir::~ScopedChdir() {
  std::error_code ec;
  std::filesystem::current_path(saved_, ec);
}

Status loadLevelText(Game& game, const LevelText& text) {
  LevelText copy = text;
  return game.startLevelFrom(
      [&copy](const std::string& fileName, TextReader& reader) {
        const std::string* content = copy.file(fileName);
        reader = TextReader(fileName, content ? *content : std::string());
        if (content == nullptr) return reader.failFile("the file is missing");
        return true;
      });
}

}  // namespace cog
