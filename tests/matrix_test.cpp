// The matrix builders: the library's formulas in 32-bit floats, checked on
// points whose images are known.

#include <gtest/gtest.h>

#include <cmath>

#include "base/matrix.h"
#include "base/vec.h"
#include "render/camera.h"
#include "sim/state.h"

namespace cog {

namespace {

Vec3 transformPoint(const Vec3& p, const Matrix4& m) {
  const float in[4] = {p.x, p.y, p.z, 1.0f};
  float out[4];
  for (int j = 0; j < 4; ++j) out[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + in[3] * m.m[3][j];
  return Vec3(out[0], out[1], out[2]);
}

void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

Matrix4 rows(std::initializer_list<std::initializer_list<float>> r) {
  Matrix4 m;
  int i = 0;
  for (const auto& row : r) {
    int j = 0;
    for (float v : row) m.m[i][j++] = v;
    ++i;
  }
  return m;
}

}  // namespace

TEST(Trig, IsTheDoubleFunctionRoundedToFloat) {
  // Arguments where the float library functions round differently.
  for (float x : {0x1.002ab6p-7f, 0x1.012964p-7f, 0x1.0419d6p-7f, 1.5707963f, -4.712389f, 0.6108652f}) {
    EXPECT_EQ(sine32(x), static_cast<float>(std::sin(static_cast<double>(x)))) << x;
    EXPECT_EQ(cosine32(x), static_cast<float>(std::cos(static_cast<double>(x)))) << x;
  }
}

TEST(MatrixBuilders, TranslationAndRotationsInRowVectorForm) {
  const Matrix4 t = matrixTranslation(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(t, rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}}));

  const float quarter = 90.0f * kDegToRad;
  // A point is turned by a quarter turn about each axis (left-handed).
  expectNear(transformPoint(Vec3(0, 1, 0), matrixRotationX(quarter)), Vec3(0, 0, 1));
  expectNear(transformPoint(Vec3(1, 0, 0), matrixRotationY(quarter)), Vec3(0, 0, -1));
  expectNear(transformPoint(Vec3(1, 0, 0), matrixRotationZ(quarter)), Vec3(0, 1, 0));

  const float a = 0.3f;
  const float c = cosine32(a), s = sine32(a);
  EXPECT_EQ(matrixRotationX(a), rows({{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}));
  EXPECT_EQ(matrixRotationY(a), rows({{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}));
  EXPECT_EQ(matrixRotationZ(a), rows({{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}));
}

TEST(MatrixBuilders, MultiplyAppliesTheLeftMatrixFirst) {
  const Matrix4 rotate = matrixRotationY(90.0f * kDegToRad);
  const Matrix4 move = matrixTranslation(10.0f, 0.0f, 0.0f);
  // Turn then move: (1,0,0) -> (0,0,-1) -> (10,0,-1).
  expectNear(transformPoint(Vec3(1, 0, 0), matrixMultiply(rotate, move)), Vec3(10, 0, -1));
  // Move then turn: (1,0,0) -> (11,0,0) -> (0,0,-11).
  expectNear(transformPoint(Vec3(1, 0, 0), matrixMultiply(move, rotate)), Vec3(0, 0, -11), 1e-4f);
  EXPECT_EQ(matrixMultiply(Matrix4::identity(), rotate), rotate);
}

TEST(MatrixBuilders, LookAtFromTheStartingPlaceIsAPureTranslation) {
  Player player;  // (0, 0, 50), heading 0
  const Matrix4 view = playerViewMatrix(player.position, player.heading);
  EXPECT_EQ(view, matrixTranslation(0.0f, 0.0f, -50.0f));
}

TEST(MatrixBuilders, LookAtHeadingNinetyFacesPlusXAndEqualsMinus270) {
  Player player;
  player.heading = 90.0f;
  const Matrix4 v90 = playerViewMatrix(player.position, player.heading);
  player.heading = -270.0f;
  const Matrix4 vMinus270 = playerViewMatrix(player.position, player.heading);
  EXPECT_EQ(v90, vMinus270);
  // One unit along +x from the eye is straight ahead.
  expectNear(transformPoint(Vec3(1, 0, 50), v90), Vec3(0, 0, 1));
  expectNear(transformPoint(Vec3(0, 0, 50), v90), Vec3(0, 0, 0), 1e-4f);

  // General form: rows hold the axes, the last row minus their dots with the eye.
  const Matrix4 v = matrixLookAtLH(Vec3(3, 4, 5), Vec3(3, 4, 9), Vec3(0, 1, 0));
  EXPECT_EQ(v, rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-3, -4, -5, 1}}));
}

TEST(MatrixBuilders, ProjectionOfTheCamera) {
  const Matrix4 p = projectionMatrix();
  EXPECT_FLOAT_EQ(p.m[1][1], 3.1715948f);
  EXPECT_EQ(p.m[0][0], p.m[1][1]);  // aspect 1
  EXPECT_FLOAT_EQ(p.m[2][2], 1.0001429f);
  EXPECT_FLOAT_EQ(p.m[3][2], -1.0001429f);
  EXPECT_EQ(p.m[2][3], 1.0f);
  EXPECT_EQ(p.m[3][3], 0.0f);
  EXPECT_EQ(p.m[2][2], 7000.0f / 6999.0f);
  // Near and far planes land at depth 0 and 1.
  const auto depth = [&](float z) { return (z * p.m[2][2] + p.m[3][2]) / z; };
  EXPECT_NEAR(depth(1.0f), 0.0f, 1e-6f);
  EXPECT_NEAR(depth(7000.0f), 1.0f, 1e-6f);
}

TEST(MatrixBuilders, MirrorReflectionIsThePlaneXMinus100) {
  const Matrix4 r = matrixReflect(Vec3(-100.0f, 0.0f, 600.0f), Vec3(1.0f, 0.0f, 0.0f));
  EXPECT_EQ(r, rows({{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-200, 0, 0, 1}}));
  for (const Vec3& p : {Vec3(0, 0, 0), Vec3(-100, 5, 7), Vec3(250, -80, 1234)})
    EXPECT_EQ(transformPoint(p, r), Vec3(-p.x - 200.0f, p.y, p.z));
  // A normal that is not of unit length gives the same plane.
  EXPECT_EQ(matrixReflect(Vec3(-100.0f, 0.0f, 600.0f), Vec3(4.0f, 0.0f, 0.0f)), r);
}

}  // namespace cog
