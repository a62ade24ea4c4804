#pragma once
// 4x4 matrices of 32-bit floats, row-vector convention (a point is a row
// vector multiplied on the left, so A*B applies A first), left-handed
// coordinates.

#include "base/vec3.h"

namespace cog {

struct Matrix4 {
  float m[4][4] = {};

  static Matrix4 identity() {
    Matrix4 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
  }
};

inline bool operator==(const Matrix4& a, const Matrix4& b) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (a.m[i][j] != b.m[i][j]) return false;
  return true;
}

// Sine and cosine of a 32-bit float in radians, returned as floats.
float sine32(float radians);
float cosine32(float radians);

Matrix4 matrixMultiply(const Matrix4& a, const Matrix4& b);  // a*b: a first
Matrix4 matrixTranslation(float x, float y, float z);
Matrix4 matrixRotationX(float radians);
Matrix4 matrixRotationY(float radians);
Matrix4 matrixRotationZ(float radians);
Matrix4 matrixLookAtLH(const Vec3& eye, const Vec3& target, const Vec3& up);
Matrix4 matrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf);
// Reflection in the plane through `point` with normal `normal`.
Matrix4 matrixReflect(const Vec3& point, const Vec3& normal);

}  // namespace cog
