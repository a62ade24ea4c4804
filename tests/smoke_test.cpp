#include <gtest/gtest.h>

#include "render/matrix.h"

TEST(Matrix, IdentityHasOnesOnTheDiagonal) {
  Matrix4 m = Matrix4::identity();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], i == j ? 1.0f : 0.0f);
}
