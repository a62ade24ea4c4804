// The matrix builders as the Direct3D 8 extension library defines them, float32 with one rounding per operation.

#include "base/matrix.h"

#include <cmath>

#include "base/vec.h"

namespace cog {

float sine32(float radians) { return static_cast<float>(std::sin(static_cast<double>(radians))); }
float cosine32(float radians) { return static_cast<float>(std::cos(static_cast<double>(radians))); }

namespace {

float tangent(float radians) { return static_cast<float>(std::tan(static_cast<double>(radians))); }

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
  const Vec3 zaxis = vec3NormalizedOrZeroF(vec3SubtractF(target, eye));
  const Vec3 xaxis = vec3NormalizedOrZeroF(vec3CrossF(up, zaxis));
  const Vec3 yaxis = vec3CrossF(zaxis, xaxis);
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
  r.m[3][0] = -vec3DotF(xaxis, eye);
  r.m[3][1] = -vec3DotF(yaxis, eye);
  r.m[3][2] = -vec3DotF(zaxis, eye);
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
  float d = -vec3DotF(point, normal);
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
