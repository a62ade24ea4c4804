// The matrix builders, as the Direct3D 8 extension library defines them. All
// arithmetic is 32-bit float, one rounding per operation, in the library's
// order of operations.

#include "base/matrix.h"

#include <cmath>

namespace cog {

float sine32(float radians) { return static_cast<float>(std::sin(static_cast<double>(radians))); }
float cosine32(float radians) { return static_cast<float>(std::cos(static_cast<double>(radians))); }

namespace {

float tangent(float radians) { return static_cast<float>(std::tan(static_cast<double>(radians))); }

Vec3 sub(const Vec3& a, const Vec3& b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); }

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 cross(const Vec3& a, const Vec3& b) {
  return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// A zero vector stays zero, as in the library.
Vec3 normalize(const Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0.0f) return Vec3();
  return Vec3(v.x / length, v.y / length, v.z / length);
}

}  // namespace

Matrix4 matrixMultiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

Matrix4 matrixTranslation(float x, float y, float z) {
  Matrix4 r = Matrix4::identity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Matrix4 matrixRotationX(float radians) {
  const float c = cosine32(radians), s = sine32(radians);
  Matrix4 r = Matrix4::identity();
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

Matrix4 matrixRotationY(float radians) {
  const float c = cosine32(radians), s = sine32(radians);
  Matrix4 r = Matrix4::identity();
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

Matrix4 matrixRotationZ(float radians) {
  const float c = cosine32(radians), s = sine32(radians);
  Matrix4 r = Matrix4::identity();
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Matrix4 matrixLookAtLH(const Vec3& eye, const Vec3& target, const Vec3& up) {
  const Vec3 zaxis = normalize(sub(target, eye));
  const Vec3 xaxis = normalize(cross(up, zaxis));
  const Vec3 yaxis = cross(zaxis, xaxis);
  Matrix4 r;
  r.m[0][0] = xaxis.x;
  r.m[0][1] = yaxis.x;
  r.m[0][2] = zaxis.x;
  r.m[1][0] = xaxis.y;
  r.m[1][1] = yaxis.y;
  r.m[1][2] = zaxis.y;
  r.m[2][0] = xaxis.z;
  r.m[2][1] = yaxis.z;
  r.m[2][2] = zaxis.z;
  r.m[3][0] = -dot(xaxis, eye);
  r.m[3][1] = -dot(yaxis, eye);
  r.m[3][2] = -dot(zaxis, eye);
  r.m[3][3] = 1.0f;
  return r;
}

Matrix4 matrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf) {
  const float yScale = 1.0f / tangent(fovy / 2.0f);
  const float xScale = yScale / aspect;
  Matrix4 r;
  r.m[0][0] = xScale;
  r.m[1][1] = yScale;
  r.m[2][2] = zf / (zf - zn);
  r.m[2][3] = 1.0f;
  r.m[3][2] = -(zn * zf) / (zf - zn);
  return r;
}

Matrix4 matrixReflect(const Vec3& point, const Vec3& normal) {
  // The plane (a, b, c, d) through the point, then normalised by the length
  // of its normal.
  float a = normal.x, b = normal.y, c = normal.z;
  float d = -dot(point, normal);
  const float length = std::sqrt(a * a + b * b + c * c);
  if (length != 0.0f) {
    a = a / length;
    b = b / length;
    c = c / length;
    d = d / length;
  }
  Matrix4 r;
  r.m[0][0] = 1.0f - 2.0f * a * a;
  r.m[0][1] = -2.0f * a * b;
  r.m[0][2] = -2.0f * a * c;
  r.m[1][0] = -2.0f * b * a;
  r.m[1][1] = 1.0f - 2.0f * b * b;
  r.m[1][2] = -2.0f * b * c;
  r.m[2][0] = -2.0f * c * a;
  r.m[2][1] = -2.0f * c * b;
  r.m[2][2] = 1.0f - 2.0f * c * c;
  r.m[3][0] = -2.0f * d * a;
  r.m[3][1] = -2.0f * d * b;
  r.m[3][2] = -2.0f * d * c;
  r.m[3][3] = 1.0f;
  return r;
}

}  // namespace cog
