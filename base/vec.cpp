// Vector and angle helpers: dot, cross, normalise (both roundings), ground angle and heading.
#include "base/vec.h"

#include <cmath>

namespace cog {

float vec3Dot(const Vec3& a, const Vec3& b) {
  double sum = static_cast<double>(a.x) * b.x;
  sum += static_cast<double>(a.y) * b.y;
  sum += static_cast<double>(a.z) * b.z;
  return static_cast<float>(sum);
}

void vec3Cross(const Vec3& a, const Vec3& b, float& outX, float& outY, float& outZ) {
  // Read everything first: the destinations may be the fields of a or b.
  const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
  outX = static_cast<float>(ay * bz - az * by);
  outY = static_cast<float>(az * bx - ax * bz);
  outZ = static_cast<float>(ax * by - ay * bx);
}

void normalizeComponents(float& x, float& y, float& z) {
  const double sq = static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z;
  const float len = static_cast<float>(std::sqrt(sq));
  x = x / len;
  y = y / len;
  z = z / len;
}

void vec3Normalize(Vec3& v) { normalizeComponents(v.x, v.y, v.z); }

Vec3 vec3SubtractF(const Vec3& a, const Vec3& b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); }

float vec3DotF(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 vec3CrossF(const Vec3& a, const Vec3& b) {
  return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

Vec3 vec3NormalizedOrZeroF(const Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0.0f) return Vec3();
  return Vec3(v.x / length, v.y / length, v.z / length);
}

float groundAngle(Vec3 a, Vec3 b) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dz = static_cast<double>(a.z) - b.z;
  if (dx == 0.0 && dz == 0.0) return -kTwoPi;
  const float q = static_cast<float>(dz / dx);
  float r = static_cast<float>(std::atan(static_cast<double>(q)));
  if (dz >= 0.0 && dx < 0.0) r = r + kPi;
  if (dz < 0.0 && dx < 0.0) r = r + kPi;
  if (dz < 0.0 && dx > 0.0) r = r + kTwoPi;
  return r;
}

float headingDegrees(Vec3 a, Vec3 b) {
  const float r = groundAngle(a, b);
  return static_cast<float>(180.0 - static_cast<double>(r) * static_cast<double>(kRadToDeg));
}

}  // namespace cog
