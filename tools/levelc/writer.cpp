#include "tools/levelc/writer.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/levelc/geometry.h"

namespace cog {

namespace {

// Shortest text that reads back as the same float; never "-0".
std::string num(float f) {
  char buf[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(f));
    if (std::strtof(buf, nullptr) == f) break;
  }
  std::string s(buf);
  return s == "-0" ? "0" : s;
}

void plainRecord(std::ostream& o, const Record& r) {
  if (r.marker) o << "1 0 ";
  else o << "0 ";
  o << r.room << " " << r.material << " " << r.texture << " " << r.vertices.size() << " " << r.vertices.size() - 2 << "\n";
  for (const Vertex& v : r.vertices)
    o << num(v.p.x) << " " << num(v.p.y) << " " << num(v.p.z) << "  " << num(v.n.x) << " " << num(v.n.y) << " "
      << num(v.n.z) << "  " << num(v.u) << " " << num(v.v) << "\n";
}

void part(std::ostream& o, const std::vector<ModelPartOut>& parts, size_t i) {
  const ModelPartOut& p = parts[i];
  o << "(" << num(p.pivot[0]) << ", " << num(p.pivot[1]) << ", " << num(p.pivot[2]) << ")\n";
  for (const auto& k : p.keys)
    o << "(" << num(k[0]) << ", " << num(k[1]) << ", " << num(k[2]) << ", " << num(k[3]) << ") ";
  o << "\n-1 0 0 0 " << p.texture << " -6\n";
  for (const Record& face : modelBoxFaces(p.box))
    for (const Vertex& v : face.vertices)
      o << num(v.p.x) << " " << num(v.p.y) << " " << num(v.p.z) << "  " << num(v.u) << " " << num(v.v) << "\n";
  o << (p.child >= 0 ? 1 : 0) << "\n";
  if (p.child >= 0) part(o, parts, static_cast<size_t>(p.child));
  o << (p.sibling >= 0 ? 1 : 0) << "\n";
  if (p.sibling >= 0) part(o, parts, static_cast<size_t>(p.sibling));
}

bool writeText(const std::string& path, const std::string& text, WriteCounts& counts, std::string& error) {
  std::ofstream f(path, std::ios::binary);
  if (!f.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    error = path + ": cannot be written";
    return false;
  }
  counts.files += 1, counts.bytes += text.size();
  return true;
}

bool writeImage(const std::string& path, const Image& img, WriteCounts& counts, std::string& error) {
  const bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
  if (!(png ? writePng(path, img, error) : writeBmp(path, img, error))) return false;
  counts.files += 1, counts.bytes += img.rgb.size();
  return true;
}

std::string lightMapName(size_t i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "lm%04zu.png", i);
  return buf;
}

}  // namespace

bool writeLevel(const std::string& dir, const LevelSource& src, const CompiledLevel& level,
                const std::vector<Image>& textures, const std::vector<Image>& lightMaps, WriteCounts& counts,
                std::string& error) {
  // Light maps: one per visible room record in order, then a white one that
  // every later index (the markers, and the glass pass) falls back to.
  std::ostringstream lbank;
  lbank << lightMaps.size() + 1 << "\n";
  for (size_t i = 0; i < lightMaps.size(); ++i) {
    lbank << lightMapName(i) << "\n";
    if (!writeImage(dir + "/" + lightMapName(i), lightMaps[i], counts, error)) return false;
  }
  Image white(8, 8);
  std::fill(white.rgb.begin(), white.rgb.end(), uint8_t{255});
  lbank << "lmwhite.png\n";
  if (!writeImage(dir + "/lmwhite.png", white, counts, error)) return false;
  if (!writeText(dir + "/Lbank.txt", lbank.str(), counts, error)) return false;

  std::ostringstream dat;
  dat << src.textures.size() << "\n";
  for (size_t i = 0; i < src.textures.size(); ++i) {
    dat << src.textures[i].file << "\n";
    if (!writeImage(dir + "/" + src.textures[i].file, textures[i], counts, error)) return false;
  }
  dat << src.materials.size() << "\n";
  for (const MaterialSource& m : src.materials) {
    for (const auto* c : {&m.diffuse, &m.ambient, &m.specular})
      dat << num((*c)[0]) << " " << num((*c)[1]) << " " << num((*c)[2]) << " " << num((*c)[3]) << "   ";
    dat << "\n";
  }
  dat << level.rooms.size() << " " << level.graphSize << "\n";
  for (const Record& r : level.rooms) plainRecord(dat, r);
  if (!writeText(dir + "/dat.txt", dat.str(), counts, error)) return false;

  std::ostringstream objects;
  objects << level.props.size() << "\n";
  for (const Record& r : level.props) plainRecord(objects, r);
  if (!writeText(dir + "/objects.txt", objects.str(), counts, error)) return false;

  for (const auto& [name, parts] : {std::make_pair("enin.txt", &level.robot), std::make_pair("shot.txt", &level.shot)}) {
    std::ostringstream model;
    model << "1\n";
    part(model, *parts, 0);
    if (!writeText(dir + "/" + name, model.str(), counts, error)) return false;
  }

  // The two base textures the game loads before the level: plain white, and a dusk sky.
  Image sky(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) sky.set(x, y, 0.25f + 0.5f * y / 64, 0.3f + 0.3f * y / 64, 0.55f - 0.1f * y / 64);
  Image blank(8, 8);
  std::fill(blank.rgb.begin(), blank.rgb.end(), uint8_t{255});
  return writeImage(dir + "/blank.bmp", blank, counts, error) && writeImage(dir + "/sky2.bmp", sky, counts, error);
}

}  // namespace cog
