#pragma once
// The level source as the compiler reads it from its TOML file: rooms,
// doorways, the mirror, props, lights, the two end booths, textures,
// materials and the two actor models. Sizes are world units; the floor is
// at y -90 everywhere.

#include <array>
#include <map>
#include <string>
#include <vector>

namespace cog {

using Rgb = std::array<float, 3>;

struct TextureSource {
  std::string name;   // how rooms, props and parts refer to it
  std::string file;   // written as this file in the output folder
  std::string paint;  // painter style (see painter.h)
  int size = 256;
  Rgb colour{0.5f, 0.5f, 0.5f};
  Rgb accent{0.8f, 0.8f, 0.8f};
  std::string text;     // sign painters: the big words
  std::string subtext;  // sign painters: the small line under them
  int line = 0;
};

struct MaterialSource {
  std::string name;
  std::array<float, 4> diffuse{1, 1, 1, 1};
  std::array<float, 4> ambient{0.5f, 0.5f, 0.5f, 1};
  std::array<float, 4> specular{0, 0, 0, 0};
};

struct RoomSource {
  std::string name;
  float x0 = 0, x1 = 0, z0 = 0, z1 = 0;
  float ceiling = 110;
  std::string floorTexture, wallTexture, ceilingTexture;
  bool closed = false;  // an end booth: no doorways, kept out of every other room's sight
  int line = 0;
};

struct DoorSource {
  std::string roomA, roomB;
  float from = 0, to = 0;  // extent along the shared wall
  float top = 50;          // height of the opening's top edge
  int line = 0;
};

struct MirrorSource {
  std::string room;
  float z0 = 530, z1 = 670, y0 = -70, y1 = 90;
  std::string texture, material, backingTexture;
  float depth = 4;  // how far the solid wall behind the pane is set back
  int line = 0;
};

struct PropSource {
  std::string kind;  // crate, pillar, console, lamp
  float x = 0, z = 0;
  float width = 60, height = 50, depth = 60;  // x, y and z sizes
  float base = -90;                           // y of the bottom face
  std::string texture, topTexture;
  bool castsShadow = true;
  int line = 0;
};

struct LightSource {
  float x = 0, y = 0, z = 0;
  Rgb colour{1, 1, 1};
  float range = 700;
};

struct SignSource {
  std::string room;
  std::string texture;
  float x = 0, z = 0;  // centre of the sign face; it faces -z, towards the booth's entrance
  float size = 50;
};

struct PartSource {
  std::string name, parent;
  std::array<float, 6> box{};  // x0 y0 z0 x1 y1 z1, model coordinates
  std::array<float, 3> pivot{};
  std::vector<std::array<float, 4>> keys;  // time, angle x, y, z (degrees)
  std::string texture;
  int line = 0;
};

struct ModelSource {
  std::vector<PartSource> parts;
  int line = 0;
};

struct LevelSource {
  std::string path;
  float tile = 200;
  int lightMapSize = 32;
  // Floors and ceilings are tiled on the grid shifted by this much on x and
  // z, so that the start places do not fall on tile corners (where the
  // game's floor test finds no floor).
  float floorOffset = 30;
  // Distance of the hull that closes the level all round: a shot fired
  // point-blank at an outer wall starts beyond it and stops at the hull.
  float hull = 40;
  Rgb ambient{0.25f, 0.25f, 0.25f};
  std::string glassMaterial = "glass";
  std::vector<TextureSource> textures;
  std::vector<MaterialSource> materials;
  std::vector<RoomSource> rooms;
  std::vector<DoorSource> doors;
  MirrorSource mirror;
  std::vector<PropSource> props;
  std::vector<LightSource> lights;
  std::vector<SignSource> signs;
  ModelSource robot, shot;
  std::string defaultMaterial = "plain";
  // [media]: the level's own music and sounds by role ("music", "footstep",
  // "caught", "fire", "robot_down"), each a file path (relative ones are
  // taken from the source's folder). A role not named gets the media
  // generator's file.
  std::map<std::string, std::string> media;
};

// Reads and checks a level source. On failure returns false with `error`
// set to "FILE:LINE: expected ...".
bool readLevelSource(const std::string& path, LevelSource& out, std::string& error);

// Index of the named texture or material, or -1.
int textureIndex(const LevelSource& level, const std::string& name);
int materialIndex(const LevelSource& level, const std::string& name);

}  // namespace cog
