#include "tools/levelc/painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>

#include "tools/levelc/font.h"

namespace cog {

namespace {

struct C3 {
  float r = 0, g = 0, b = 0;
};
C3 operator*(C3 c, float s) { return {c.r * s, c.g * s, c.b * s}; }
C3 operator+(C3 a, C3 b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
C3 mix(C3 a, C3 b, float t) { return a * (1 - t) + b * t; }
C3 rgb(const Rgb& c) { return {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f}; }

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}
float rand01(uint32_t x, uint32_t y, uint32_t seed) { return (hash(x, y, seed) & 0xFFFFFF) / 16777216.0f; }

// Value noise that repeats every `period` lattice cells; x, y in cells.
float noise(float x, float y, int period, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const float tx = x - fx, ty = y - fy;
  const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  auto at = [&](int a, int b) {
    return rand01(static_cast<uint32_t>(((a % period) + period) % period),
                  static_cast<uint32_t>(((b % period) + period) % period), seed);
  };
  const float a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
  const float b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}

// Fractal noise over the whole image (u, v in 0..1), repeating at its edges.
float fbm(float u, float v, int base, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  int period = base;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * noise(u * period, v * period, period, seed + static_cast<uint32_t>(o));
    norm += amp;
    amp *= 0.5f;
    period *= 2;
  }
  return sum / norm;
}

float smooth(float e0, float e1, float x) {
  const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

// Distance in pixels from p to the nearest multiple of `cell`.
float gridDist(float p, float cell) {
  const float m = std::fmod(p, cell);
  return std::min(m, cell - m);
}

// A round rivet head: light upper left, shadow lower right; zero outside.
float rivet(float dx, float dy, float r) {
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > r + 1) return 0;
  const float edge = smooth(r + 1, r - 0.5f, d);
  return edge * (0.25f - 0.45f * (dx + dy) / (2 * r));
}

using Painter = std::function<C3(const TextureSource&, float x, float y, int n)>;

C3 plates(const TextureSource& t, float x, float y, int n) {
  const C3 base = rgb(t.colour);
  const float cell = n / 2.0f;
  const float grime = fbm(x / n, y / n, 4, 5, 11);
  const float dx = gridDist(x, cell), dy = gridDist(y, cell);
  const float seam = std::min(dx, dy);
  float shade = 0.85f + 0.3f * grime;
  // Tread: short raised bars in alternating directions.
  const float tc = n / 16.0f;
  const int ix = static_cast<int>(std::floor(x / tc)), iy = static_cast<int>(std::floor(y / tc));
  const float lx = x / tc - ix - 0.5f, ly = y / tc - iy - 0.5f;
  const bool diag = ((ix + iy) & 1) != 0;
  const float along = diag ? (lx + ly) : (lx - ly), across = diag ? (lx - ly) : (lx + ly);
  if (std::fabs(across) < 0.16f && std::fabs(along) < 0.62f) shade += across < 0 ? 0.12f : -0.03f;
  if (seam < 1.5f) shade = 0.35f;
  else if (seam < 3.5f) shade *= (std::fmod(x, cell) < cell / 2 || std::fmod(y, cell) < cell / 2) ? 1.2f : 0.8f;
  // Bolts near each plate corner.
  const float bx = std::fmod(x, cell), by = std::fmod(y, cell);
  for (float cx : {9.0f, cell - 9}) for (float cy : {9.0f, cell - 9}) shade += rivet(bx - cx, by - cy, n / 90.0f + 1.5f);
  return base * shade;
}

C3 panels(const TextureSource& t, float x, float y, int n) {
  const C3 base = rgb(t.colour), accent = rgb(t.accent);
  const float v = y / n;
  const float grime = fbm(x / n, v, 4, 5, 21);
  float shade = 0.82f + 0.3f * grime;
  // A rusty streak now and then below the rivets.
  const float streak = fbm(x / n * 4, v * 0.5f, 8, 3, 23);
  shade -= std::max(0.0f, streak - 0.62f) * 0.8f;
  const float cell = n / 4.0f;
  const float px = std::fmod(x, cell);
  if (px < 2) shade = 0.4f;
  else if (px < 4) shade *= 1.25f;
  else if (px > cell - 3) shade *= 0.7f;
  C3 c = base * shade;
  // Kick plate at the floor: a darker band with hazard stripes; a pipe at the ceiling.
  if (v > 0.86f) {
    const bool stripe = std::fmod(x + (n - y), n / 8.0f) < n / 16.0f;
    c = (v > 0.875f && v < 0.985f) ? (stripe ? accent : C3{0.1f, 0.1f, 0.1f}) * (0.8f + 0.3f * grime) : base * 0.35f;
  } else if (v < 0.07f) {
    const float pipe = std::sin((v / 0.07f) * 3.14159f);
    c = mix(base * 0.3f, C3{0.75f, 0.72f, 0.65f} * (0.5f + 0.6f * pipe), 0.9f);
  } else {
    for (float ry : {0.1f * n, 0.82f * n})
      c = c + C3{1, 1, 1} * rivet(std::fmod(x, cell) - cell / 2, y - ry, n / 96.0f + 1.5f);
  }
  return c;
}

C3 bricks(const TextureSource& t, float x, float y, int n) {
  const C3 base = rgb(t.colour), mortar = rgb(t.accent);
  const float bh = n / 8.0f, bw = n / 4.0f;
  const int row = static_cast<int>(y / bh);
  const float ox = (row & 1) ? bw / 2 : 0;
  const float bxp = std::fmod(x + ox, bw), byp = std::fmod(y, bh);
  const int col = static_cast<int>((x + ox) / bw) % 4;
  const float grime = fbm(x / n, y / n, 4, 5, 31);
  if (bxp < 3 || byp < 3) return mortar * (0.75f + 0.3f * grime);
  const float tone = 0.75f + 0.35f * rand01(static_cast<uint32_t>(col), static_cast<uint32_t>(row), 32);
  float shade = tone * (0.8f + 0.35f * grime);
  if (byp < 5) shade *= 1.15f;
  if (bxp > bw - 3 || byp > bh - 3) shade *= 0.8f;
  return base * shade;
}

C3 concrete(const TextureSource& t, float x, float y, int n) {
  const C3 base = rgb(t.colour), paint = rgb(t.accent);
  const float g = fbm(x / n, y / n, 8, 6, 41);
  const float speck = rand01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 42);
  float shade = 0.75f + 0.45f * g + (speck > 0.97f ? -0.15f : 0);
  const float crack = std::fabs(fbm(x / n, y / n, 3, 4, 43) - 0.5f);
  if (crack < 0.004f) shade *= 0.8f;
  C3 c = base * shade;
  // A painted lane line along one edge of the slab, worn by traffic.
  if (x < n * 0.06f && g > 0.35f) c = mix(c, paint * (0.8f + 0.3f * g), 0.85f);
  if (gridDist(x, n) < 1.5f || gridDist(y, n) < 1.5f) c = c * 0.45f;
  return c;
}

C3 ceiling(const TextureSource& t, float x, float y, int n) {
  const C3 base = rgb(t.colour);
  const float cell = n / 2.0f;
  const float dx = gridDist(x, cell), dy = gridDist(y, cell);
  if (std::min(dx, dy) < 3) return C3{0.32f, 0.33f, 0.35f};
  float shade = 0.9f + 0.15f * fbm(x / n, y / n, 4, 4, 51);
  // Perforations.
  if (gridDist(x, 8) < 1.2f && gridDist(y, 8) < 1.2f) shade *= 0.9f;
  // A vent in one of the four squares.
  const float vx = x - cell * 1.5f, vy = y - cell * 0.5f;
  if (std::fabs(vx) < cell * 0.3f && std::fabs(vy) < cell * 0.3f) shade = gridDist(vy, 6) < 2 ? 0.25f : 0.6f;
  return base * shade;
}

C3 crate(const TextureSource& t, float x, float y, int n) {
  const C3 wood = rgb(t.colour), frame = rgb(t.accent);
  const float grain = fbm(x / n * 0.5f, y / n * 6, 4, 5, 61);
  const float board = std::floor(y / (n / 5.0f));
  C3 c = wood * (0.7f + 0.45f * grain + 0.1f * rand01(static_cast<uint32_t>(board), 0, 62));
  if (gridDist(y, n / 5.0f) < 1.5f) c = c * 0.45f;
  const float edge = std::min(std::min(x, n - 1 - x), std::min(y, n - 1 - y));
  const float diag = std::fabs(x - y) / 1.41421f;
  if (edge < n * 0.1f || diag < n * 0.06f) {
    c = frame * (0.75f + 0.3f * grain);
    if (edge < 2 || std::fabs(edge - n * 0.1f) < 1.5f) c = c * 0.55f;
  }
  for (float cx : {n * 0.05f, n * 0.95f})
    for (float cy : {n * 0.05f, n * 0.95f}) c = c + C3{1, 1, 1} * rivet(x - cx, y - cy, n / 60.0f + 1);
  return c;
}

C3 hazard(const TextureSource& t, float x, float y, int n) {
  const C3 a = rgb(t.colour), b = rgb(t.accent);
  const float wear = fbm(x / n, y / n, 8, 4, 71);
  const bool stripe = std::fmod(x + y, n / 2.0f) < n / 4.0f;
  C3 c = (stripe ? a : b) * (0.8f + 0.3f * wear);
  if (wear > 0.68f) c = mix(c, C3{0.45f, 0.45f, 0.47f}, 0.7f);
  return c;
}

C3 console(const TextureSource& t, float x, float y, int n) {
  const C3 body = rgb(t.colour), glow = rgb(t.accent);
  const float u = x / n, v = y / n;
  C3 c = body * (0.8f + 0.25f * fbm(u, v, 4, 3, 81));
  if (u > 0.1f && u < 0.9f && v > 0.08f && v < 0.52f) {
    // The screen: a trace and lines of readout on a dark glass.
    c = C3{0.02f, 0.06f, 0.04f};
    const float wave = 0.3f + 0.08f * std::sin(u * 40) * std::sin(u * 7 + 1);
    if (std::fabs(v - wave) < 0.008f) c = glow;
    if (v > 0.38f && v < 0.5f && gridDist(y, 6) < 1.5f && rand01(static_cast<uint32_t>(x / 5), static_cast<uint32_t>(y / 6), 82) > 0.3f)
      c = glow * 0.7f;
    if (gridDist(y, 3) < 0.6f) c = c * 0.7f;
  } else if (v > 0.62f && v < 0.9f && u > 0.1f && u < 0.9f) {
    const float bx = std::fmod(u * 6, 1.0f) - 0.5f, by = std::fmod((v - 0.62f) * 7, 1.0f) - 0.5f;
    const int k = static_cast<int>(u * 6) + static_cast<int>((v - 0.62f) * 7) * 6;
    const C3 caps[4] = {{0.85f, 0.15f, 0.1f}, {0.9f, 0.75f, 0.1f}, {0.15f, 0.7f, 0.25f}, {0.7f, 0.72f, 0.75f}};
    if (std::fabs(bx) < 0.3f && std::fabs(by) < 0.3f) c = caps[hash(static_cast<uint32_t>(k), 0, 83) % 4] * (by < -0.15f ? 1.2f : 0.9f);
  }
  const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
  if (edge < 0.02f) c = c * 0.5f;
  return c;
}

C3 lamp(const TextureSource& t, float x, float y, int n) {
  const C3 light = rgb(t.colour);
  const float u = x / n, v = y / n;
  const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
  if (edge < 0.08f) return C3{0.55f, 0.55f, 0.55f};
  if (gridDist(x, n / 6.0f) < 1.5f || gridDist(y, n / 6.0f) < 1.5f) return light * 0.75f;
  return light;
}

C3 xray(const TextureSource& t, float x, float y, int n) {
  const C3 back = rgb(t.colour), line = rgb(t.accent);
  C3 c = back * (0.85f + 0.3f * fbm(x / n, y / n, 4, 3, 91));
  if (std::fmod(y, 4.0f) < 1) c = c * 0.75f;  // scan lines
  const float fine = std::min(gridDist(x, n / 8.0f), gridDist(y, n / 8.0f));
  const float bold = std::min(gridDist(x, n / 2.0f), gridDist(y, n / 2.0f));
  if (fine < 0.8f) c = mix(c, line, 0.45f);
  if (bold < 1.6f) c = line;
  // Little crosses at the bold grid's corners, as on a blueprint.
  const float cx = gridDist(x, n / 2.0f), cy = gridDist(y, n / 2.0f);
  if ((cx < 1.2f && cy < 9) || (cy < 1.2f && cx < 9)) c = C3{1, 1, 1};
  return c;
}

C3 robot(const TextureSource& t, float x, float y, int n) {
  const C3 paint = rgb(t.colour), metal = rgb(t.accent);
  const float u = x / n, v = y / n;
  const float wear = fbm(u, v, 6, 5, 101);
  C3 c = paint * (0.75f + 0.4f * wear);
  if (wear > 0.66f) c = metal * (0.7f + 0.4f * wear);  // paint chipped to bare metal
  if (v > 0.7f && v < 0.86f) c = (std::fmod(x + y, n / 6.0f) < n / 12.0f ? C3{0.1f, 0.1f, 0.1f} : paint * 1.1f);
  const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
  if (edge < 0.03f) c = c * 0.5f;
  if (gridDist(x, n / 2.0f) < 1.2f && v < 0.7f) c = c * 0.55f;
  for (float cx : {0.08f, 0.42f, 0.58f, 0.92f}) c = c + C3{1, 1, 1} * rivet(x - cx * n, y - 0.08f * n, n / 64.0f + 1);
  return c;
}

C3 face(const TextureSource& t, float x, float y, int n) {
  const C3 plate = rgb(t.colour), eye = rgb(t.accent);
  const float u = x / n, v = y / n;
  C3 c = plate * (0.7f + 0.35f * fbm(u, v, 4, 4, 111));
  const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
  if (edge < 0.04f) c = c * 0.45f;
  // Two eyes under a brow, with a glow around them.
  for (float ex : {0.3f, 0.7f}) {
    const float d = std::sqrt((u - ex) * (u - ex) + (v - 0.4f) * (v - 0.4f) * 1.6f);
    if (d < 0.13f) c = C3{0.05f, 0.05f, 0.06f};
    if (d < 0.09f) c = mix(eye, C3{1, 0.95f, 0.8f}, smooth(0.06f, 0.0f, d));
    else if (d < 0.2f) c = c + eye * (0.35f * (1 - d / 0.2f));
  }
  if (v > 0.22f && v < 0.26f && u > 0.12f && u < 0.88f) c = plate * 0.4f;
  // Mouth grille.
  if (v > 0.64f && v < 0.84f && u > 0.25f && u < 0.75f) c = gridDist(y, n / 24.0f) < n / 80.0f + 0.5f ? C3{0.9f, 0.9f, 0.9f} * 0.6f : C3{0.06f, 0.06f, 0.06f};
  return c;
}

C3 glass(const TextureSource& t, float x, float y, int n) {
  const C3 tint = rgb(t.colour);
  const float streak = std::sin((x + y * 0.6f) / n * 6.2831853f * 3);
  return tint * (0.92f + 0.08f * streak);
}

C3 energy(const TextureSource& t, float x, float y, int n) {
  const C3 hot = rgb(t.colour), edge = rgb(t.accent);
  const float u = x / n - 0.5f, v = y / n - 0.5f;
  const float d = std::sqrt(u * u + v * v) * 2;
  const float flick = fbm(x / n, y / n, 4, 3, 121);
  return mix(C3{1, 1, 0.9f}, mix(hot, edge, smooth(0.3f, 1.0f, d)), smooth(0.0f, 0.4f, d * (0.7f + 0.6f * flick)));
}

// Dot-matrix lettering: every font cell a round lamp, lit or dim.
C3 sign(const TextureSource& t, float x, float y, int n) {
  const C3 back = rgb(t.colour), lit = rgb(t.accent);
  const float u = x / n, v = y / n;
  C3 c = back * (0.8f + 0.2f * fbm(u, v, 4, 3, 131));
  const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
  if (edge < 0.035f) {
    // A frame of chaser lamps.
    const float along = (u < 0.035f || u > 0.965f) ? y : x;
    const float d = std::hypot(gridDist(along, n / 16.0f), edge * n - 0.0175f * n);
    return d < n / 70.0f ? lit : back * 0.3f;
  }
  // Lamp state at (x, y) for a line of text: -1 outside, 0 between letters, 1 dim, 2 lit;
  // `d` is the distance to the lamp's centre in cells.
  auto textLamp = [&](const std::string& text, float top, float cellSize, float& d) -> int {
    const int cells = textCells(text);
    const float left = (n - cells * cellSize) / 2;
    const float cx = (x - left) / cellSize, cy = (y - top) / cellSize;
    if (cx < 0 || cy < 0 || cx >= cells || cy >= 7) return -1;
    const int col = static_cast<int>(cx), row = static_cast<int>(cy);
    d = std::hypot(cx - col - 0.5f, cy - row - 0.5f);
    if (col % 6 == 5) return 0;
    const unsigned char* rows = glyphRows(text[static_cast<size_t>(col / 6)]);
    return (rows[row] >> (4 - col % 6)) & 1 ? 2 : 1;
  };
  // The words fit inside the middle of the face, which is what fills the view.
  const float big = std::min(n * 0.8f / std::max(1, textCells(t.text)), n * 0.085f);
  const float small = std::min(n * 0.7f / std::max(1, textCells(t.subtext)), n * 0.022f);
  const float bigTop = t.subtext.empty() ? (n - 7 * big) / 2 : n * 0.5f - 5 * big;
  float d = 1;
  int lamp = textLamp(t.text, bigTop, big, d);
  if (lamp < 0 && !t.subtext.empty()) lamp = textLamp(t.subtext, n * 0.66f, small, d);
  if (lamp == 2) return mix(lit, C3{1, 1, 1}, smooth(0.25f, 0.0f, d) * 0.6f) * smooth(0.5f, 0.36f, d) +
                        back * (1 - smooth(0.5f, 0.36f, d)) + lit * (0.25f * smooth(0.75f, 0.4f, d) * (d > 0.4f));
  if (lamp == 1 && d < 0.4f) return mix(back, lit, 0.14f);
  // Two rails of lamps above and below the words.
  const float rail = std::min(std::fabs(v - 0.3f), std::fabs(v - 0.8f)) * n;
  if (rail < n / 100.0f + 0.5f && u > 0.14f && u < 0.86f)
    return gridDist(x, n / 32.0f) < n / 90.0f ? lit * 0.8f : back * 0.5f;
  return c;
}

const std::map<std::string, Painter>& painters() {
  static const std::map<std::string, Painter> p = {
      {"plates", plates}, {"panels", panels}, {"bricks", bricks}, {"concrete", concrete}, {"ceiling", ceiling},
      {"crate", crate},   {"hazard", hazard}, {"console", console}, {"lamp", lamp},       {"xray", xray},
      {"robot", robot},   {"face", face},     {"glass", glass},     {"energy", energy},   {"sign", sign},
  };
  return p;
}

}  // namespace

bool knownPaintStyle(const std::string& style) { return painters().count(style) != 0; }

Image paintTexture(const TextureSource& t) {
  auto it = painters().find(t.paint);
  if (it == painters().end()) return Image{};
  const int n = t.size;
  Image img(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const C3 c = it->second(t, x + 0.5f, y + 0.5f, n);
      img.set(x, y, c.r, c.g, c.b);
    }
  return img;
}

}  // namespace cog
