// The level loader: the worked level, the order of reading, the graph, the
// actors, and every way a level is refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/level_start.h"
#include "level/level_data.h"
#include "level/model.h"
#include "level/text_reader.h"
#include "sim/state.h"
#include "support/level_files.h"
#include "support/test_game.h"

namespace cog {

namespace {

std::string loadError(const LevelText& text) {
  TestGame t;
  const Status loaded = loadLevelText(t.game, text);
  EXPECT_FALSE(loaded.ok());
  return loaded.message();
}

// The worked level with another "dat.txt".
LevelText withDat(const std::string& dat) {
  LevelText t = workedLevel();
  t.dat = dat;
  return t;
}

// The head of the worked "dat.txt" up to and including the material.
const std::string kDatHead =
    "5\nstone.bmp\nstone.bmp\nstone.bmp\nstone.bmp\nstone.bmp\n1\n0.8 0.8 0.8 1   0.4 0.4 0.4 1   0 0 0 0\n";

const std::string kMarkerAt(int room, float x) {
  const std::string xs = std::to_string(x);
  return "1 0 " + std::to_string(room) + " 0 0 3 1  " + xs + " 0 0 0 0 1 0 0  " + xs + " 40 0 0 0 1 0 0  " + xs +
         " 0 10 0 0 1 0 0\n";
}

size_t countParts(const ModelPart* p) {
  size_t n = 0;
  std::vector<const ModelPart*> stack{p};
  while (!stack.empty()) {
    const ModelPart* q = stack.back();
    stack.pop_back();
    if (!q) continue;
    ++n;
    stack.push_back(q->child.get());
    stack.push_back(q->sibling.get());
  }
  return n;
}

}  // namespace

TEST(LevelLoad, WorkedLevelFillsEveryList) {
  TestGame t;
  t.sim.player.position = Vec3(5, 5, 5);
  const Status loaded = loadLevelText(t.game, workedLevel());
  ASSERT_TRUE(loaded.ok()) << loaded.message();

  // Textures in file order; a name given again is the texture already made.
  EXPECT_EQ(t.dev.textureNames, (std::vector<std::string>{"light0.bmp", "light1.bmp", "stone.bmp"}));
  EXPECT_EQ(t.level.lightMapCount(), 2);
  EXPECT_EQ(t.level.levelTextures.size(), 5u);
  EXPECT_NE(t.level.lightMaps[0]->id(), t.level.lightMaps[1]->id());
  for (const auto& tex : t.level.levelTextures) EXPECT_EQ(tex.get(), t.level.levelTextures[0].get());

  ASSERT_EQ(t.level.materials.size(), 1u);
  const Material& m = t.level.materials[0];
  EXPECT_EQ(m.diffuse, (ColorValue{0.8f, 0.8f, 0.8f, 1.0f}));
  EXPECT_EQ(m.ambient, (ColorValue{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(m.specular, (ColorValue{0, 0, 0, 0}));
  EXPECT_EQ(m.emissive, (ColorValue{0, 0, 0, 0}));
  EXPECT_EQ(m.power, 0.0f);

  ASSERT_EQ(t.level.roomCount(), 3);
  EXPECT_EQ(t.level.rooms[0].boundsMin, Vec3(-100, -90, 550));
  EXPECT_EQ(t.level.rooms[0].hasFloor, 0);
  EXPECT_EQ(t.level.rooms[1].hasFloor, 1);
  EXPECT_EQ(t.level.rooms[2].isMarker, 1);
  EXPECT_EQ(t.level.rooms[2].roomNumber, 0);

  // One room with one marker: the diagonal only.
  EXPECT_EQ(t.level.roomGraph.size, 1);
  EXPECT_EQ(t.level.roomGraph.get(0, 0), 1);

  ASSERT_EQ(t.level.propCount(), 1);
  EXPECT_EQ(t.level.props[0].primitiveType, 1);
  EXPECT_EQ(t.level.props[0].vertexCount, 6);
  EXPECT_EQ(t.level.props[0].boundsMax, Vec3(10, -70, -10));

  for (const Actor& robot : t.actors.robots) {
    ASSERT_TRUE(robot.model);
    EXPECT_EQ(robot.sourceValue, 1.0f);
    EXPECT_EQ(robot.model->keys.size(), 2u);
    EXPECT_EQ(robot.walkPhase, 1.0f);  // the game was reset after loading
  }
  ASSERT_TRUE(t.actors.shot.model);
  EXPECT_EQ(t.sim.player.position, Vec3(0, 0, 50));
}

TEST(LevelLoad, EachRobotOwnsItsOwnTree) {
  TestGame t;
  LevelText text = workedLevel();
  text.enin =
      "1 (0,0,0) (0,0,0,0) (0.5,10,0,0) (1,0,0,0) -1 0 0 0 0 1 0 0 0 0 0 0 20 0 0 1 10 0 0 1 0 1\n"
      "(0,5,0) (1,0,0,0) -1 0 0 0 0 1 0 0 0 0 0 0 20 0 0 1 10 0 0 1 0 0 0 0\n";
  const Status loaded = loadLevelText(t.game, text);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  for (int a = 0; a < kRobotCount; ++a) {
    EXPECT_EQ(countParts(t.actors.robots[a].model.get()), 2u);
    for (int b = a + 1; b < kRobotCount; ++b) {
      EXPECT_NE(t.actors.robots[a].model.get(), t.actors.robots[b].model.get());
      EXPECT_NE(t.actors.robots[a].model->child.get(), t.actors.robots[b].model->child.get());
      EXPECT_NE(t.actors.robots[a].model->mesh.vertexBuffer->id(), t.actors.robots[b].model->mesh.vertexBuffer->id());
    }
  }
  t.actors.robots[3].model->currentKey = 2;
  for (int a = 0; a < kRobotCount; ++a) {
    if (a != 3) {
      EXPECT_EQ(t.actors.robots[a].model->currentKey, 0u);
    }
  }
  EXPECT_EQ(countParts(t.actors.shot.model.get()), 1u);
}

TEST(LevelLoad, FilesAreOpenedInOrderAndEninOnce) {
  TestGame t;
  LevelText text = workedLevel();
  std::vector<std::string> opened;
  const Status loaded = t.game.startLevelFrom([&](const std::string& name, TextReader& reader) {
    opened.push_back(name);
    reader = TextReader(name, *text.file(name));
    return true;
  });
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  // "enin.txt" is read once; each robot still gets its own tree.
  EXPECT_EQ(opened, (std::vector<std::string>{"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"}));
  EXPECT_NE(t.actors.robots[0].model.get(), t.actors.robots[6].model.get());

  // A light map that cannot be made stops before "dat.txt" is opened.
  opened.clear();
  t.dev.refuseTexture = "light1.bmp";
  const Status refused = t.game.startLevelFrom([&](const std::string& name, TextReader& reader) {
    opened.push_back(name);
    reader = TextReader(name, *text.file(name));
    return true;
  });
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.message(), "Lbank.txt:3: light1.bmp: cannot open the file");
  EXPECT_EQ(opened, std::vector<std::string>{"Lbank.txt"});
  EXPECT_EQ(t.level.lightMapCount(), 1);
}

TEST(LevelLoad, WorkedFolderFromDiskWithRealImages) {
  TestGame t;
  t.dev.realTextures = true;
  ScopedChdir cd(testDataDir() / "levels" / "worked5");
  const Status loaded = startLevel(t.game, loadLevel);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.level.levelTextures[4]->width(), 8);
}

TEST(LevelLoad, CrLfFilesLoadTheSame) {
  LevelText text = workedLevel();
  for (const char* name : {"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"}) {
    std::string crlf;
    for (char c : *text.file(name)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    *text.file(name) = crlf;
  }
  TestGame t;
  const Status loaded = loadLevelText(t.game, text);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.level.rooms[2].isMarker, 1);
  EXPECT_EQ(t.level.props[0].vertexCount, 6);
}

TEST(LevelLoad, TwoRoomsInSightOfEachOther) {
  // Markers of rooms 0 and 1 with nothing between them, and a marker of room
  // 2 behind a wall.
  const std::string wall = "0 0 0 0 4 2  150 -100 -500 1 0 0 0 0  150 300 -500 1 0 0 0 0  "
                           "150 -100 500 1 0 0 0 0  150 300 500 1 0 0 0 0\n";
  TestGame t;
  const Status loaded =
      loadLevelText(t.game, withDat(kDatHead + "4 3\n" + wall + kMarkerAt(0, 0) + kMarkerAt(1, 100) + kMarkerAt(2, 200)));
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  const RoomGraph& g = t.level.roomGraph;
  EXPECT_EQ(g.get(0, 1), 1);
  EXPECT_EQ(g.get(1, 0), 1);
  EXPECT_EQ(g.get(0, 2), 0);
  EXPECT_EQ(g.get(2, 1), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g.get(i, i), 1);
  EXPECT_EQ(g.get(-1, 0), 0);  // a player in no room sees nothing
}

TEST(LevelLoadRefusals, MissingFilesAndEarlyEnds) {
  for (const char* missing : {"Lbank.txt", "dat.txt", "objects.txt", "enin.txt", "shot.txt"}) {
    TempDir dir;
    writeLevelFolder(dir.path(), workedLevel());
    std::filesystem::remove(dir.path() / missing);
    TestGame t;
    ScopedChdir cd(dir.path());
    const Status loaded = startLevel(t.game, loadLevel);
    EXPECT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.message(), std::string(missing) + ": the file is missing");
  }

  LevelText text = workedLevel();
  text.objects = "1\n-1 0 0 0 0 -1\n-10 -90 -10  0 1\n-10 -70 -10  0 0\n 10 -90 -10  1 1\n 10 -70       ";
  EXPECT_EQ(loadError(text), "objects.txt:6: the file ends where a number (vertex z) was expected");
  text = workedLevel();
  text.shot = "1\n(0, 0, 0)\n(0, 0, 0, 0)\n(0.5, 0, 0, 0)\n";
  EXPECT_EQ(loadError(text), "shot.txt:4: the file ends before the key list reaches time 1.0");
  text = workedLevel();
  text.enin = "";
  EXPECT_EQ(loadError(text), "enin.txt:1: the file ends where a number (the model's first value) was expected");
  EXPECT_EQ(loadError(withDat("5 a b c d      ")), "dat.txt:1: the file ends where a word (texture file name) was expected");
}

TEST(LevelLoadRefusals, LightMapsAndTextures) {
  LevelText text = workedLevel();
  text.lbank = "-1\n";
  EXPECT_EQ(loadError(text), "Lbank.txt:1: lightMapCount -1 is negative");
  text.lbank = "three light0.bmp";
  EXPECT_EQ(loadError(text), "Lbank.txt:1: expected an integer (lightMapCount), found \"three\"");
  text.lbank = "1000000 light0.bmp";
  EXPECT_EQ(loadError(text), "Lbank.txt:1: lightMapCount 1000000 is more than the rest of the file can hold");

  TestGame t;
  t.dev.refuseTexture = "stone.bmp";
  const Status loaded = loadLevelText(t.game, workedLevel());
  EXPECT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.message(), "dat.txt:2: stone.bmp: cannot open the file");
  EXPECT_EQ(t.level.lightMapCount(), 2);
  EXPECT_TRUE(t.level.levelTextures.empty());
}

TEST(LevelLoadRefusals, MaterialsAndCounts) {
  // A 13th material number shifts everything after it.
  EXPECT_EQ(loadError(withDat("5 s s s s s 1  1 1 1 1  1 1 1 1  1 1 1 1  0  -1 1\n")),
            "dat.txt:1: graphSize -1 is negative");
  EXPECT_EQ(loadError(withDat("5 s s s s s 1  1 1 1 1  1 1 1 1  1 1 1 \n")),
            "dat.txt:1: the file ends where a number (specular alpha) was expected");
  EXPECT_EQ(loadError(withDat("5 s s s s s -2")), "dat.txt:1: materialCount -2 is negative");
  EXPECT_EQ(loadError(withDat("5 s s s s s 1000 1 1 1")),
            "dat.txt:1: materialCount 1000 is more than the rest of the file can hold");
  EXPECT_EQ(loadError(withDat(kDatHead + "-3 1\n")), "dat.txt:9: roomCount -3 is negative");
  EXPECT_EQ(loadError(withDat(kDatHead + "2000000000 1\n0 0 0 0 0 0\n")),
            "dat.txt:9: roomCount 2000000000 is more than the rest of the file can hold");
  EXPECT_EQ(loadError(withDat(kDatHead + "0 -1\n")), "dat.txt:9: graphSize -1 is negative");
  EXPECT_EQ(loadError(withDat(kDatHead + "0 4097\n")), "dat.txt:9: graphSize 4097 is larger than 4096");
  LevelText text = workedLevel();
  text.objects = "-1\n";
  EXPECT_EQ(loadError(text), "objects.txt:1: propCount -1 is negative");

  TestGame t;
  const Status loaded = loadLevelText(t.game, withDat(kDatHead + "0 4096\n"));
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.level.roomGraph.cells.size(), 4096u * 4096u);
}

TEST(LevelLoadRefusals, IndexesOutsideTheLevel) {
  EXPECT_EQ(loadError(withDat(kDatHead + "1 1\n0 0 1 0 0 0\n")),
            "dat.txt:10: materialIndex 1 is out of range: the level has 1 material");
  EXPECT_EQ(loadError(withDat(kDatHead + "1 1\n0 0 0 5 0 0\n")),
            "dat.txt:10: textureIndex 5 is out of range: the level has 5 textures");
  EXPECT_EQ(loadError(withDat(kDatHead + "1 1\n0 1 0 0 0 0\n")),
            "dat.txt:10: roomNumber 1 is out of range: the room graph has 1 room");
  EXPECT_EQ(loadError(withDat(kDatHead + "1 1\n-1 -1 0 0 0 0\n")),
            "dat.txt:10: roomNumber -1 is out of range: the room graph has 1 room");

  LevelText text = workedLevel();
  text.objects = "2\n-1 0 0 0 0 0\n-1 1 0 0 0 0\n";
  EXPECT_EQ(loadError(text), "objects.txt:3: roomNumber 1 is out of range: the room graph has 1 room");

  // Model meshes belong to no room, but their material and texture count.
  text = workedLevel();
  text.enin = "1 0 0 0 1 0 0 0 -1 99 0 0 0 0 0 0";
  TestGame t;
  const Status loaded = loadLevelText(t.game, text);
  EXPECT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(t.actors.robots[6].model->mesh.roomNumber, 99);
  text.shot = "1 0 0 0 1 0 0 0 -1 0 0 0 7 0 0 0";
  const Status refused = loadLevelText(t.game, text);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.message(), "shot.txt:1: textureIndex 7 is out of range: the level has 5 textures");
}

TEST(LevelLoadRefusals, BufferFailureAndNoDevice) {
  {
    TestGame t;
    t.dev.refuseBufferAt = 3;  // the prop's
    const Status loaded = loadLevelText(t.game, workedLevel());
    EXPECT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.message(), "objects.txt:6: cannot create the record's vertex buffer: out of video memory");
  }
  TestGame t;
  t.game.device = nullptr;
  const Status loaded = loadLevelText(t.game, workedLevel());
  EXPECT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.message(), "no render device to load the level with");
}

}  // namespace cog
