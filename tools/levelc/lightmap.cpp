#include "tools/levelc/lightmap.h"

#include <algorithm>

namespace cog {

namespace {

Image bake(const LevelSource& src, const Record& r, const Occluders& casters) {
  const int n = src.lightMapSize;
  Image img(n, n);
  if (r.fullBright) {
    std::fill(img.rgb.begin(), img.rgb.end(), uint8_t{255});
    return img;
  }
  const TileFrame& f = r.frame;
  const V3 corners[4] = {f.origin, f.origin + f.right * f.width, f.origin + f.up * f.height,
                         f.origin + f.right * f.width + f.up * f.height};
  V3 lo = corners[0], hi = corners[0];
  for (const V3& c : corners) {
    lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
    hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
  }
  struct Lit {
    const LightSource* light;
    std::vector<int> casters;
  };
  std::vector<Lit> lights;
  for (const LightSource& l : src.lights) {
    const V3 lp{l.x, l.y, l.z};
    const V3 nearest{std::clamp(lp.x, lo.x, hi.x), std::clamp(lp.y, lo.y, hi.y), std::clamp(lp.z, lo.z, hi.z)};
    if (length(lp - nearest) >= l.range) continue;
    // A light behind the whole tile adds nothing.
    bool front = false;
    for (const V3& c : corners) front = front || dot(lp - c, f.normal) > 0;
    if (!front) continue;
    const V3 blo{std::min(lo.x, lp.x), std::min(lo.y, lp.y), std::min(lo.z, lp.z)};
    const V3 bhi{std::max(hi.x, lp.x), std::max(hi.y, lp.y), std::max(hi.z, lp.z)};
    lights.push_back({&l, casters.near(blo, bhi)});
  }
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float s = (i + 0.5f) / n * f.width, t = (1 - (j + 0.5f) / n) * f.height;
      const V3 p = f.origin + f.right * s + f.up * t + f.normal * 0.5f;
      float c[3] = {src.ambient[0], src.ambient[1], src.ambient[2]};
      for (const Lit& lit : lights) {
        const LightSource& l = *lit.light;
        const V3 d = V3{l.x, l.y, l.z} - p;
        const float dist = length(d);
        if (dist >= l.range || dist < 1e-3f) continue;
        const float facing = dot(d, f.normal) / dist;
        if (facing <= 0) continue;
        if (casters.blockedBy(lit.casters, p, V3{l.x, l.y, l.z})) continue;
        const float q = 1 - (dist / l.range) * (dist / l.range);
        const float k = (0.35f + 0.65f * facing) * q * q;
        for (int ch = 0; ch < 3; ++ch) c[ch] += l.colour[static_cast<size_t>(ch)] * k;
      }
      img.set(i, j, c[0], c[1], c[2]);
    }
  return img;
}

}  // namespace

std::vector<Image> bakeLightMaps(const LevelSource& src, const CompiledLevel& level, const Occluders& shadowCasters) {
  std::vector<Image> maps;
  for (const Record& r : level.rooms)
    if (!r.marker) maps.push_back(bake(src, r, shadowCasters));
  return maps;
}

}  // namespace cog
