// The level compiler: what it says about faulty sources, and that a good
// source compiles to the same bytes every time into a level the game loads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/level_files.h"
#include "support/run_program.h"
#include "tools/levelc/compile.h"
#include "tools/levelc/source.h"
#include "tools/mediagen/game_media.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

std::string exampleSource() { return readTextFile(testDataDir() / "levels" / "example.toml"); }

// 1-based line of the first occurrence of `anchor`.
int lineOf(const std::string& text, const std::string& anchor) {
  const size_t at = text.find(anchor);
  if (at == std::string::npos) return -1;
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(LevelCompiler, SourceErrorsNameTheFileTheLineAndWhatWasExpected) {
  struct Case {
    const char* what;
    const char* from;     // text of the example replaced ...
    const char* to;       // ... by this
    const char* anchor;   // the error's line is where this first stands after the change
    const char* message;  // after "FILE:LINE: expected "
  };
  const Case cases[] = {
      {"broken TOML", "tile = 200", "tile = = 200", "tile = =", "valid TOML"},
      {"unknown key", "name = \"back\"", "name = \"back\"\ncolour = 3", "colour = 3",
       "one of name, x, z, ceiling, floor_texture, wall_texture, ceiling_texture, closed in [[room]], found \"colour\""},
      {"missing key", "name = \"back\"\nx = [-100, 1300]\nz = [800, 1600]\nfloor_texture = \"floor\"\n",
       "name = \"back\"\nx = [-100, 1300]\nz = [800, 1600]\n", "[[room]]\nname = \"back\"",
       "a string \"floor_texture\" in [[room]]"},
      {"wrong type", "x = [-100, 1300]", "x = \"wide\"", "x = \"wide\"", "an array of 2 numbers for \"x\" in [[room]]"},
      {"unknown texture", "wall_texture = \"wall\"", "wall_texture = \"brick\"", "wall_texture = \"brick\"",
       "a texture named in [[texture]] for \"wall_texture\" in [[room]], found \"brick\""},
      {"unknown painter", "paint = \"plates\"", "paint = \"marble\"", "paint = \"marble\"",
       "a paint style (plates, panels, bricks, concrete, ceiling, crate, hazard, console, lamp, xray, robot, face, "
       "glass, energy, sign), found \"marble\""},
      {"doorway off the shared wall", "along = [100, 220]", "along = [100, 2000]", "along = [100, 2000]",
       "a doorway within the shared wall (-100 to 1300) in [[door]]"},
      {"opaque mirror", "diffuse = [0.6, 0.7, 0.9, 0.3]", "diffuse = [0.6, 0.7, 0.9, 1]", "material = \"glass\"",
       "a mirror material whose diffuse alpha is below 1 (translucent glass)"},
      {"mirror away from z 600", "z = [530, 670]", "z = [630, 670]", "z = [630, 670]",
       "a mirror around z = 600 inside its room's west wall"},
      {"walk cycle without its last key", "keys = [[0, 0, 0, 0], [1, 0, 0, 360]]",
       "keys = [[0, 0, 0, 0], [0.5, 0, 0, 360]]", "[0.5, 0, 0, 360]", "a last key at time 1 in [[shot.part]]"},
      {"part under an unknown parent", "parent = \"body\"", "parent = \"torso\"", "parent = \"torso\"",
       "a parent part named earlier in [[robot.part]], found \"torso\""},
      {"prop outside every room", "at = [0, 230]", "at = [5000, 230]", "[[prop]]", "a prop standing in a room"},
      {"prop on a robot's start", "at = [0, 230]", "at = [0, 380]", "[[prop]]", "a prop clear of robot 0's start (0, 400)"},
      {"overlapping rooms", "z = [800, 1600]", "z = [700, 1600]", "[[room]]\nname = \"back\"",
       "rooms that do not overlap, found \"back\" over \"start\""},
      {"number past a 32-bit float", "tile = 200", "tile = 3.40282357e38", "tile = 3.4",
       "a number within a 32-bit float's range (about 3.4e38) for \"tile\" in [level]"},
      {"number past a 32-bit float in an array", "at = [0, 230]", "at = [0, -1e39]", "at = [0, -1e39]",
       "a number within a 32-bit float's range (about 3.4e38) for \"at\" in [[prop]]"},
      {"unknown media role", "[level]", "[media]\nsong = \"x.mid\"\n\n[level]", "song =",
       "one of music, footstep, caught, fire, robot_down in [media], found \"song\""},
      {"missing media file", "[level]", "[media]\nmusic = \"nowhere.mid\"\n\n[level]", "music =",
       "a file for \"music\" in [media], found no file at \""},
  };
  const std::string example = exampleSource();
  TempDir dir;
  for (const Case& c : cases) {
    std::string text = example;
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.what;
    text.replace(at, std::string(c.from).size(), c.to);
    const fs::path source = dir.path() / "level.toml";
    std::ofstream(source, std::ios::binary) << text;
    CompileReport report;
    std::string error;
    EXPECT_FALSE(compileLevel(source.string(), (dir.path() / "out").string(), report, error)) << c.what;
    const std::string expected =
        source.string() + ":" + std::to_string(lineOf(text, c.anchor)) + ": expected " + c.message;
    EXPECT_EQ(error.substr(0, expected.size()), expected) << c.what << "\n  got: " << error;
  }
  CompileReport report;
  std::string error;
  EXPECT_FALSE(compileLevel((dir.path() / "missing.toml").string(), (dir.path() / "out").string(), report, error));
  EXPECT_NE(error.find("missing.toml"), std::string::npos) << error;
}

TEST(LevelCompiler, TheSameSourceGivesTheSameBytes) {
  TempDir dir;
  const std::string source = (testDataDir() / "levels" / "example.toml").string();
  CompileReport first, second;
  std::string error;
  ASSERT_TRUE(compileLevel(source, (dir.path() / "a").string(), first, error)) << error;
  ASSERT_TRUE(compileLevel(source, (dir.path() / "b").string(), second, error)) << error;
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir.path() / "a")) {
    ++files;
    EXPECT_EQ(readAll(entry.path()), readAll(dir.path() / "b" / entry.path().filename())) << entry.path();
  }
  EXPECT_EQ(files, first.files);
  // One light map per visible room record, and the white one after them.
  EXPECT_EQ(first.lightMaps, first.roomRecords - first.markers + 1);
  EXPECT_EQ(first.roomPairsInSight, 1);

  // The music and sounds are the media generator's.
  EXPECT_EQ(first.generatedMedia, mediagen::gameMedia().size());
  for (const mediagen::MediaFile& media : mediagen::gameMedia()) {
    const std::vector<uint8_t> bytes = media.make();
    EXPECT_EQ(readAll(dir.path() / "a" / media.name), std::string(bytes.begin(), bytes.end())) << media.name;
  }
  EXPECT_TRUE(first.warnings.empty());

  // The folder as the compiler left it passes the game's check and plays.
  for (const char* options : {"--check", "--headless --ticks 60"}) {
    SCOPED_TRACE(options);
    const RunResult run = runProgram("--data " + (dir.path() / "a").string() + " " + options + " 2>&1");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("warning"), std::string::npos) << run.output;
    if (std::string(options) == "--check") {
      EXPECT_NE(run.output.find("level ok"), std::string::npos) << run.output;
    }
  }
}

// A source names its own music and sounds in [media], each copied as the
// game's file name; the ones it leaves out are the generator's. A level
// whose fifth texture is not painted "xray" compiles with a warning.
TEST(LevelCompiler, OwnMediaAndWarnings) {
  TempDir dir;
  const fs::path tune = dir.path() / "sounds" / "tune.mid";
  fs::create_directories(tune.parent_path());
  fs::copy_file(testDataDir() / "media" / "Roadsong.mid", tune);
  std::string text = exampleSource();
  text.insert(text.find("[level]"), "[media]\nmusic = \"sounds/tune.mid\"\n\n");
  const fs::path source = dir.path() / "level.toml";
  std::ofstream(source, std::ios::binary) << text;
  CompileReport report;
  std::string error;
  ASSERT_TRUE(compileLevel(source.string(), (dir.path() / "out").string(), report, error)) << error;
  EXPECT_EQ(readAll(dir.path() / "out" / "Roadsong.mid"), readAll(tune));
  EXPECT_EQ(report.generatedMedia, mediagen::gameMedia().size() - 1);

  // The fifth texture painted as something else: the x-ray view has none.
  std::string plain = exampleSource();
  plain.replace(plain.find("paint = \"xray\""), 14, "paint = \"concrete\"");
  std::ofstream(source, std::ios::binary | std::ios::trunc) << plain;
  ASSERT_TRUE(compileLevel(source.string(), (dir.path() / "plain").string(), report, error)) << error;
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(report.warnings[0], source.string() + ":" + std::to_string(lineOf(plain, "name = \"xray\"") - 1) +
                                    ": the level has no x-ray texture: the fifth [[texture]] (\"xray\", paint "
                                    "\"concrete\") is what the x-ray view paints rooms out of sight with; paint it "
                                    "\"xray\"");
}

}  // namespace cog
