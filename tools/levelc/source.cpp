#include "tools/levelc/source.h"

#include "tools/levelc/painter.h"
#include "tools/mediagen/game_media.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <set>
#include <sstream>
#include <stdexcept>

namespace cog {

namespace {

// A source problem, already worded as "FILE:LINE: expected ...".
struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Reader {
 public:
  explicit Reader(std::string path) : path_(std::move(path)) {}

  [[noreturn]] void fail(const toml::source_region& where, const std::string& what) const {
    std::ostringstream text;
    text << path_ << ":" << where.begin.line << ": expected " << what;
    throw SourceError(text.str());
  }

  // Rejects keys the section does not know, so a misspelt key is not
  // silently ignored.
  void onlyKeys(const toml::table& t, std::initializer_list<const char*> known, const std::string& section) const {
    for (const auto& [key, node] : t) {
      bool ok = false;
      for (const char* k : known) ok = ok || key.str() == k;
      if (!ok) {
        std::string list;
        for (const char* k : known) list += std::string(list.empty() ? "" : ", ") + k;
        fail(node.source(), "one of " + list + " in " + section + ", found \"" + std::string(key.str()) + "\"");
      }
    }
  }

  float number(const toml::table& t, const char* key, const std::string& section, const float* fallback = nullptr) const {
    const toml::node* n = t.get(key);
    if (!n) {
      if (fallback) return *fallback;
      fail(t.source(), std::string("a number \"") + key + "\" in " + section);
    }
    if (auto v = n->value<double>()) return finite(*v, *n, std::string("\"") + key + "\" in " + section);
    fail(n->source(), std::string("a number for \"") + key + "\" in " + section);
  }

  // The level files hold 32-bit floats: a number past their range is refused
  // here rather than written as "inf".
  float finite(double v, const toml::node& n, const std::string& what) const {
    const float f = static_cast<float>(v);
    if (!std::isfinite(f)) fail(n.source(), "a number within a 32-bit float's range (about 3.4e38) for " + what);
    return f;
  }

  float number(const toml::table& t, const char* key, const std::string& section, float fallback) const {
    return number(t, key, section, &fallback);
  }

  std::string text(const toml::table& t, const char* key, const std::string& section,
                   const char* fallback = nullptr) const {
    const toml::node* n = t.get(key);
    if (!n) {
      if (fallback) return fallback;
      fail(t.source(), std::string("a string \"") + key + "\" in " + section);
    }
    if (auto v = n->value<std::string>()) return *v;
    fail(n->source(), std::string("a string for \"") + key + "\" in " + section);
  }

  bool flag(const toml::table& t, const char* key, const std::string& section, bool fallback) const {
    const toml::node* n = t.get(key);
    if (!n) return fallback;
    if (auto v = n->value<bool>()) return *v;
    fail(n->source(), std::string("true or false for \"") + key + "\" in " + section);
  }

  template <size_t N>
  std::array<float, N> numbers(const toml::table& t, const char* key, const std::string& section,
                               const std::array<float, N>* fallback = nullptr) const {
    const toml::node* n = t.get(key);
    if (!n) {
      if (fallback) return *fallback;
      fail(t.source(), "an array of " + std::to_string(N) + " numbers \"" + key + "\" in " + section);
    }
    return numbersOf<N>(*n, std::string("\"") + key + "\" in " + section);
  }

  template <size_t N>
  std::array<float, N> numbersOf(const toml::node& n, const std::string& what) const {
    const toml::array* a = n.as_array();
    if (!a || a->size() != N)
      fail(n.source(), "an array of " + std::to_string(N) + " numbers for " + what);
    std::array<float, N> out{};
    for (size_t i = 0; i < N; ++i) {
      auto v = (*a)[i].value<double>();
      if (!v) fail((*a)[i].source(), "a number in " + what);
      out[i] = finite(*v, (*a)[i], what);
    }
    return out;
  }

  // The array of tables `key` (for example [[room]]), or none.
  std::vector<const toml::table*> tables(const toml::table& root, const char* key) const {
    std::vector<const toml::table*> out;
    const toml::node* n = root.get(key);
    if (!n) return out;
    const toml::array* a = n->as_array();
    if (!a) fail(n->source(), std::string("[[") + key + "]] tables");
    for (const toml::node& e : *a) {
      if (!e.is_table()) fail(e.source(), std::string("[[") + key + "]] tables");
      out.push_back(e.as_table());
    }
    return out;
  }

  const toml::table* table(const toml::table& root, const char* key, bool required) const {
    const toml::node* n = root.get(key);
    if (!n) {
      if (required) fail(root.source(), std::string("a [") + key + "] table");
      return nullptr;
    }
    if (!n->is_table()) fail(n->source(), std::string("[") + key + "] to be a table");
    return n->as_table();
  }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

Rgb rgb(const std::array<float, 3>& a) { return Rgb{a[0], a[1], a[2]}; }

void readTextures(const Reader& r, const toml::table& root, LevelSource& out) {
  std::set<std::string> names;
  for (const toml::table* t : r.tables(root, "texture")) {
    const std::string s = "[[texture]]";
    r.onlyKeys(*t, {"name", "file", "paint", "size", "colour", "accent", "text", "subtext"}, s);
    TextureSource tex;
    tex.line = static_cast<int>(t->source().begin.line);
    tex.name = r.text(*t, "name", s);
    tex.file = r.text(*t, "file", s);
    tex.paint = r.text(*t, "paint", s);
    if (!knownPaintStyle(tex.paint))
      r.fail(t->get("paint")->source(), "a paint style (plates, panels, bricks, concrete, ceiling, crate, hazard, console, "
                                        "lamp, xray, robot, face, glass, energy, sign), found \"" + tex.paint + "\"");
    const float size = r.number(*t, "size", s, 256.0f);
    if (size < 8 || size > 1024 || static_cast<int>(size) != size)
      r.fail(t->get("size")->source(), "a whole texture size from 8 to 1024 in " + s);
    tex.size = static_cast<int>(size);
    const std::array<float, 3> grey{128, 128, 128}, light{200, 200, 200};
    tex.colour = rgb(r.numbers<3>(*t, "colour", s, &grey));
    tex.accent = rgb(r.numbers<3>(*t, "accent", s, &light));
    tex.text = r.text(*t, "text", s, "");
    tex.subtext = r.text(*t, "subtext", s, "");
    if (!names.insert(tex.name).second) r.fail(t->source(), "a texture name not used before, found \"" + tex.name + "\"");
    if (tex.file.find_first_of(" \t\r\n") != std::string::npos || tex.file.empty())
      r.fail(t->get("file")->source(), "a file name without blanks in " + s);
    out.textures.push_back(tex);
  }
  if (out.textures.size() < 5) r.fail(root.source(), "at least five [[texture]] tables (the fifth is the x-ray view's)");
}

void readMaterials(const Reader& r, const toml::table& root, LevelSource& out) {
  for (const toml::table* t : r.tables(root, "material")) {
    const std::string s = "[[material]]";
    r.onlyKeys(*t, {"name", "diffuse", "ambient", "specular"}, s);
    MaterialSource m;
    m.name = r.text(*t, "name", s);
    m.diffuse = r.numbers<4>(*t, "diffuse", s);
    const std::array<float, 4> halfGrey{0.5f, 0.5f, 0.5f, 1.0f}, none{0, 0, 0, 0};
    m.ambient = r.numbers<4>(*t, "ambient", s, &halfGrey);
    m.specular = r.numbers<4>(*t, "specular", s, &none);
    out.materials.push_back(m);
  }
  if (out.materials.empty()) r.fail(root.source(), "at least one [[material]] table");
}

std::string textureName(const Reader& r, const LevelSource& level, const toml::table& t, const char* key,
                        const std::string& section, const char* fallback = nullptr) {
  const std::string name = r.text(t, key, section, fallback);
  if (textureIndex(level, name) < 0) {
    const toml::node* n = t.get(key);
    r.fail(n ? n->source() : t.source(), "a texture named in [[texture]] for \"" + std::string(key) + "\" in " +
                                             section + ", found \"" + name + "\"");
  }
  return name;
}

void readRooms(const Reader& r, const toml::table& root, LevelSource& out) {
  std::set<std::string> names;
  for (const toml::table* t : r.tables(root, "room")) {
    const std::string s = "[[room]]";
    r.onlyKeys(*t, {"name", "x", "z", "ceiling", "floor_texture", "wall_texture", "ceiling_texture", "closed"}, s);
    RoomSource room;
    room.line = static_cast<int>(t->source().begin.line);
    room.name = r.text(*t, "name", s);
    const auto x = r.numbers<2>(*t, "x", s);
    const auto z = r.numbers<2>(*t, "z", s);
    if (!(x[0] < x[1]) || !(z[0] < z[1])) r.fail(t->source(), "x and z ranges from low to high in room \"" + room.name + "\"");
    room.x0 = x[0], room.x1 = x[1], room.z0 = z[0], room.z1 = z[1];
    room.ceiling = r.number(*t, "ceiling", s, 110.0f);
    if (room.ceiling <= 20) r.fail(t->get("ceiling")->source(), "a ceiling well above the eye (y > 20) in " + s);
    room.floorTexture = textureName(r, out, *t, "floor_texture", s);
    room.wallTexture = textureName(r, out, *t, "wall_texture", s);
    room.ceilingTexture = textureName(r, out, *t, "ceiling_texture", s);
    room.closed = r.flag(*t, "closed", s, false);
    if (!names.insert(room.name).second) r.fail(t->source(), "a room name not used before, found \"" + room.name + "\"");
    for (const RoomSource& a : out.rooms)
      if (a.x0 < room.x1 && room.x0 < a.x1 && a.z0 < room.z1 && room.z0 < a.z1)
        r.fail(t->source(), "rooms that do not overlap, found \"" + room.name + "\" over \"" + a.name + "\"");
    out.rooms.push_back(room);
  }
  if (out.rooms.empty()) r.fail(root.source(), "at least one [[room]] table");
}

const RoomSource* findRoom(const LevelSource& level, const std::string& name) {
  for (const RoomSource& room : level.rooms)
    if (room.name == name) return &room;
  return nullptr;
}

void readDoors(const Reader& r, const toml::table& root, LevelSource& out) {
  for (const toml::table* t : r.tables(root, "door")) {
    const std::string s = "[[door]]";
    r.onlyKeys(*t, {"rooms", "along", "top"}, s);
    DoorSource d;
    d.line = static_cast<int>(t->source().begin.line);
    const toml::node* rooms = t->get("rooms");
    const toml::array* a = rooms ? rooms->as_array() : nullptr;
    if (!a || a->size() != 2 || !(*a)[0].is_string() || !(*a)[1].is_string())
      r.fail(rooms ? rooms->source() : t->source(), "\"rooms\" = two room names in " + s);
    d.roomA = *(*a)[0].value<std::string>();
    d.roomB = *(*a)[1].value<std::string>();
    const RoomSource* ra = findRoom(out, d.roomA);
    const RoomSource* rb = findRoom(out, d.roomB);
    if (!ra || !rb) r.fail(rooms->source(), "two rooms named in [[room]] tables in " + s);
    if (ra->closed || rb->closed) r.fail(rooms->source(), "rooms that are not closed in " + s);
    const auto along = r.numbers<2>(*t, "along", s);
    d.from = along[0], d.to = along[1];
    if (!(d.from < d.to)) r.fail(t->get("along")->source(), "\"along\" from low to high in " + s);
    d.top = r.number(*t, "top", s, 50.0f);
    const bool shareX = ra->x1 == rb->x0 || rb->x1 == ra->x0;
    const bool shareZ = ra->z1 == rb->z0 || rb->z1 == ra->z0;
    float lo = 0, hi = 0;
    if (shareX) lo = std::max(ra->z0, rb->z0), hi = std::min(ra->z1, rb->z1);
    if (shareZ) lo = std::max(ra->x0, rb->x0), hi = std::min(ra->x1, rb->x1);
    if (!shareX && !shareZ) r.fail(t->source(), "rooms \"" + d.roomA + "\" and \"" + d.roomB + "\" to share a wall in " + s);
    if (d.from < lo || d.to > hi)
      r.fail(t->get("along")->source(), "a doorway within the shared wall (" + std::to_string(static_cast<int>(lo)) +
                                            " to " + std::to_string(static_cast<int>(hi)) + ") in " + s);
    if (d.top <= -40 || d.top >= std::min(ra->ceiling, rb->ceiling))
      r.fail(t->source(), "a doorway top above y -40 and below both ceilings in " + s);
    out.doors.push_back(d);
  }
}

void readMirror(const Reader& r, const toml::table& root, LevelSource& out) {
  const toml::table* t = r.table(root, "mirror", true);
  const std::string s = "[mirror]";
  r.onlyKeys(*t, {"room", "z", "y", "texture", "material", "backing_texture", "depth"}, s);
  MirrorSource& m = out.mirror;
  m.line = static_cast<int>(t->source().begin.line);
  m.room = r.text(*t, "room", s);
  const RoomSource* room = findRoom(out, m.room);
  if (!room) r.fail(t->get("room")->source(), "a room named in [[room]] for the mirror");
  if (room->x0 != -100) r.fail(t->get("room")->source(), "a mirror room whose west wall is at x = -100");
  const auto z = r.numbers<2>(*t, "z", s);
  const auto y = r.numbers<2>(*t, "y", s);
  m.z0 = z[0], m.z1 = z[1], m.y0 = y[0], m.y1 = y[1];
  if (!(m.z0 < 600 && 600 < m.z1) || m.z0 <= room->z0 || m.z1 >= room->z1)
    r.fail(t->get("z")->source(), "a mirror around z = 600 inside its room's west wall");
  if (!(m.y0 < 0 && 0 < m.y1) || m.y0 < -90 || m.y1 > room->ceiling)
    r.fail(t->get("y")->source(), "a mirror around the eye (y 0) between floor and ceiling");
  m.texture = textureName(r, out, *t, "texture", s);
  m.backingTexture = textureName(r, out, *t, "backing_texture", s);
  m.material = r.text(*t, "material", s);
  if (materialIndex(out, m.material) < 0) r.fail(t->get("material")->source(), "a material named in [[material]] for the mirror");
  if (out.materials[materialIndex(out, m.material)].diffuse[3] >= 1.0f)
    r.fail(t->get("material")->source(), "a mirror material whose diffuse alpha is below 1 (translucent glass)");
  m.depth = r.number(*t, "depth", s, 4.0f);
}

void readProps(const Reader& r, const toml::table& root, LevelSource& out) {
  for (const toml::table* t : r.tables(root, "prop")) {
    const std::string s = "[[prop]]";
    r.onlyKeys(*t, {"kind", "at", "size", "base", "texture", "top_texture", "shadow"}, s);
    PropSource p;
    p.line = static_cast<int>(t->source().begin.line);
    p.kind = r.text(*t, "kind", s);
    if (p.kind != "crate" && p.kind != "pillar" && p.kind != "console" && p.kind != "lamp")
      r.fail(t->get("kind")->source(), "a prop kind crate, pillar, console or lamp, found \"" + p.kind + "\"");
    const auto at = r.numbers<2>(*t, "at", s);
    const auto size = r.numbers<3>(*t, "size", s);
    p.x = at[0], p.z = at[1];
    p.width = size[0], p.height = size[1], p.depth = size[2];
    if (p.width <= 0 || p.height <= 0 || p.depth <= 0) r.fail(t->get("size")->source(), "three positive sizes in " + s);
    p.base = r.number(*t, "base", s, -90.0f);
    p.texture = textureName(r, out, *t, "texture", s);
    p.topTexture = textureName(r, out, *t, "top_texture", s, p.texture.c_str());
    p.castsShadow = r.flag(*t, "shadow", s, p.kind != "lamp");
    out.props.push_back(p);
  }
}

void readLights(const Reader& r, const toml::table& root, LevelSource& out) {
  for (const toml::table* t : r.tables(root, "light")) {
    const std::string s = "[[light]]";
    r.onlyKeys(*t, {"at", "colour", "range"}, s);
    LightSource l;
    const auto at = r.numbers<3>(*t, "at", s);
    l.x = at[0], l.y = at[1], l.z = at[2];
    const std::array<float, 3> white{1, 1, 1};
    l.colour = rgb(r.numbers<3>(*t, "colour", s, &white));
    l.range = r.number(*t, "range", s, 700.0f);
    if (l.range <= 0) r.fail(t->get("range")->source(), "a positive light range");
    out.lights.push_back(l);
  }
}

void readMedia(const Reader& r, const toml::table& root, LevelSource& out) {
  const toml::table* t = r.table(root, "media", false);
  if (!t) return;
  std::vector<const char*> roles;
  for (const mediagen::MediaFile& f : mediagen::gameMedia()) roles.push_back(f.role);
  for (const auto& [key, node] : *t) {
    bool known = false;
    for (const char* role : roles) known = known || key.str() == role;
    if (!known) {
      std::string list;
      for (const char* role : roles) list += std::string(list.empty() ? "" : ", ") + role;
      r.fail(node.source(), "one of " + list + " in [media], found \"" + std::string(key.str()) + "\"");
    }
    const std::string role(key.str());
    const std::string file = r.text(*t, role.c_str(), "[media]");
    std::filesystem::path path(file);
    if (path.is_relative()) path = std::filesystem::path(r.path()).parent_path() / path;
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(path, ec))
      r.fail(node.source(), "a file for \"" + role + "\" in [media], found no file at \"" + path.string() + "\"");
    out.media[role] = path.string();
  }
}

void readSigns(const Reader& r, const toml::table& root, LevelSource& out) {
  for (const toml::table* t : r.tables(root, "sign")) {
    const std::string s = "[[sign]]";
    r.onlyKeys(*t, {"room", "texture", "at", "size"}, s);
    SignSource sign;
    sign.room = r.text(*t, "room", s);
    if (!findRoom(out, sign.room)) r.fail(t->get("room")->source(), "a room named in [[room]] for the sign");
    sign.texture = textureName(r, out, *t, "texture", s);
    const auto at = r.numbers<2>(*t, "at", s);
    sign.x = at[0], sign.z = at[1];
    sign.size = r.number(*t, "size", s, 50.0f);
    out.signs.push_back(sign);
  }
}

void readModel(const Reader& r, const toml::table& root, const char* key, LevelSource& level, ModelSource& out) {
  const toml::table* m = r.table(root, key, true);
  out.line = static_cast<int>(m->source().begin.line);
  const std::string section = std::string("[[") + key + ".part]]";
  r.onlyKeys(*m, {"part"}, std::string("[") + key + "]");
  std::set<std::string> names;
  for (const toml::table* t : r.tables(*m, "part")) {
    r.onlyKeys(*t, {"name", "parent", "box", "pivot", "keys", "texture"}, section);
    PartSource p;
    p.line = static_cast<int>(t->source().begin.line);
    p.name = r.text(*t, "name", section);
    p.parent = r.text(*t, "parent", section, "");
    if (!p.parent.empty() && !names.count(p.parent))
      r.fail(t->get("parent")->source(), "a parent part named earlier in " + section + ", found \"" + p.parent + "\"");
    if (!names.insert(p.name).second) r.fail(t->source(), "a part name not used before in " + section);
    p.box = r.numbers<6>(*t, "box", section);
    p.pivot = r.numbers<3>(*t, "pivot", section);
    p.texture = textureName(r, level, *t, "texture", section);
    const toml::node* keys = t->get("keys");
    const toml::array* a = keys ? keys->as_array() : nullptr;
    if (!a || a->empty()) r.fail(keys ? keys->source() : t->source(), "\"keys\" = [[time, x, y, z], ...] in " + section);
    float last = -1;
    for (const toml::node& k : *a) {
      const auto key4 = r.numbersOf<4>(k, "a key [time, angle x, angle y, angle z] in " + section);
      if (key4[0] < last || key4[0] < 0 || key4[0] > 1) r.fail(k.source(), "key times rising from 0 to 1 in " + section);
      last = key4[0];
      if (key4[0] == 1.0f && &k != &a->back()) r.fail(k.source(), "time 1 only on the last key in " + section);
      p.keys.push_back(key4);
    }
    if (p.keys.back()[0] != 1.0f) r.fail(a->back().source(), "a last key at time 1 in " + section);
    if (p.parent.empty() && !out.parts.empty())
      r.fail(t->source(), "one root part (only the first part has no parent) in " + section);
    out.parts.push_back(p);
  }
  if (out.parts.empty()) r.fail(m->source(), "at least one part in " + section);
}

}  // namespace

int textureIndex(const LevelSource& level, const std::string& name) {
  for (size_t i = 0; i < level.textures.size(); ++i)
    if (level.textures[i].name == name) return static_cast<int>(i);
  return -1;
}

int materialIndex(const LevelSource& level, const std::string& name) {
  for (size_t i = 0; i < level.materials.size(); ++i)
    if (level.materials[i].name == name) return static_cast<int>(i);
  return -1;
}

bool readLevelSource(const std::string& path, LevelSource& out, std::string& error) {
  out = LevelSource{};
  out.path = path;
  Reader r(path);
  try {
    toml::table root;
    try {
      root = toml::parse_file(path);
    } catch (const toml::parse_error& e) {
      std::ostringstream text;
      text << path << ":" << e.source().begin.line << ": expected valid TOML (" << e.description() << ")";
      if (e.source().begin.line == 0) text.str(path + ": cannot be read (" + std::string(e.description()) + ")");
      error = text.str();
      return false;
    }
    r.onlyKeys(root, {"level", "texture", "material", "room", "door", "mirror", "prop", "light", "sign", "robot", "shot",
                      "media"},
               "the top level");
    const toml::table* lv = r.table(root, "level", true);
    r.onlyKeys(*lv, {"tile", "lightmap_size", "ambient", "default_material", "floor_offset", "hull"}, "[level]");
    out.tile = r.number(*lv, "tile", "[level]", 200.0f);
    if (out.tile < 50 || out.tile > 1000) r.fail(lv->source(), "a tile size from 50 to 1000 in [level]");
    const float lm = r.number(*lv, "lightmap_size", "[level]", 32.0f);
    if (lm < 2 || lm > 256 || static_cast<int>(lm) != lm) r.fail(lv->source(), "a whole lightmap_size from 2 to 256 in [level]");
    out.lightMapSize = static_cast<int>(lm);
    out.floorOffset = r.number(*lv, "floor_offset", "[level]", 30.0f);
    out.hull = r.number(*lv, "hull", "[level]", 40.0f);
    if (out.hull < 30) r.fail(lv->source(), "a hull at least 30 outside the level (a shot starts 24 ahead) in [level]");
    const std::array<float, 3> amb{0.25f, 0.25f, 0.25f};
    out.ambient = rgb(r.numbers<3>(*lv, "ambient", "[level]", &amb));
    readTextures(r, root, out);
    readMaterials(r, root, out);
    out.defaultMaterial = r.text(*lv, "default_material", "[level]", out.materials[0].name.c_str());
    if (materialIndex(out, out.defaultMaterial) < 0) r.fail(lv->source(), "a default_material named in [[material]]");
    readRooms(r, root, out);
    readDoors(r, root, out);
    readMirror(r, root, out);
    readProps(r, root, out);
    readLights(r, root, out);
    readSigns(r, root, out);
    readModel(r, root, "robot", out, out.robot);
    readModel(r, root, "shot", out, out.shot);
    readMedia(r, root, out);
  } catch (const SourceError& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace cog
