#include <gtest/gtest.h>

#include <cmath>

#include "base/vec.h"

namespace cog {

namespace {

struct AngleCase {
  Vec3 a;
  float ground;
  float heading;
};

TEST(Angles, GroundAngleAndHeadingTable) {
  const AngleCase cases[] = {
      {{1, 0, 0}, 0.0f, 180.0f},
      {{0, 0, 1}, 1.5707964f, 90.0f},
      {{-1, 0, 0}, 3.1415901f, 0.000155f},
      {{0, 0, -1}, -1.5707964f, 270.0f},
      {{1, 0, 1}, 0.7853982f, 135.0f},
      {{-1, 0, -1}, 3.9269884f, -44.99985f},
      {{1, 0, -1}, 5.4977822f, -134.99969f},
      {{0, 5, 0}, -6.2831802f, 539.99969f},
  };
  const Vec3 origin;
  for (const AngleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "a = (" << c.a.x << ", " << c.a.y << ", " << c.a.z << ")");
    EXPECT_NEAR(groundAngle(c.a, origin), c.ground, 1e-6);
    EXPECT_NEAR(headingDegrees(c.a, origin), c.heading, 2e-5);
  }
}

TEST(Angles, StraightAlongMinusZGetsNoQuadrantCorrection) {
  // dx = 0, dz < 0: atan(-inf) = -pi/2 exactly as a float, left uncorrected.
  EXPECT_EQ(groundAngle({0, 0, -3}, {0, 0, 0}), static_cast<float>(-M_PI / 2));
  EXPECT_EQ(groundAngle({2, 0, 2}, {2, 0, 5}), static_cast<float>(-M_PI / 2));
}

TEST(Angles, ConstantsAreTheShortLiterals) {
  EXPECT_EQ(kPi, 3.14159f);
  EXPECT_NE(kPi, static_cast<float>(M_PI));
  EXPECT_EQ(kDegToRad, 0.017453292f);
  EXPECT_EQ(groundAngle({-1, 0, 0}, {0, 0, 0}), kPi);  // -0 plus kPi
}

TEST(Vectors, NormalizeCrossAndDot) {
  float x = 3, y = 0, z = 4;
  normalizeComponents(x, y, z);
  EXPECT_FLOAT_EQ(x, 0.6f);
  EXPECT_EQ(y, 0.0f);
  EXPECT_FLOAT_EQ(z, 0.8f);

  Vec3 zero;
  vec3Normalize(zero);
  EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));

  float cx, cy, cz;
  vec3Cross({1, 0, 0}, {0, 1, 0}, cx, cy, cz);
  EXPECT_EQ(cx, 0.0f);
  EXPECT_EQ(cy, 0.0f);
  EXPECT_EQ(cz, 1.0f);

  // The destinations may alias an argument.
  Vec3 a{0, 1, 0};
  vec3Cross(a, {0, 0, 1}, a.x, a.y, a.z);
  EXPECT_EQ(a, Vec3(1, 0, 0));

  EXPECT_EQ(vec3Dot({1, 2, 3}, {4, 5, 6}), 32.0f);
}

TEST(Vectors, ProductsAreRoundedOnceFromDouble) {
  // 4097 * 4097 = 16785409 needs 25 bits: float products would round each
  // term; the double sum rounds only the result.
  const Vec3 a{4097.0f, 0.0f, 0.0f};
  const Vec3 b{4097.0f, 1.0f, 0.0f};
  EXPECT_EQ(vec3Dot(a, b), static_cast<float>(16785409.0));
  float cx, cy, cz;
  vec3Cross({0.0f, 4097.0f, 1.0f}, {0.0f, -1.0f, 4097.0f}, cx, cy, cz);
  EXPECT_EQ(cx, static_cast<float>(16785409.0 + 1.0));
}

}  // namespace

}  // namespace cog
