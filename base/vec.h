#pragma once
// Vector and angle helpers shared by collision, movement, steering and the
// record reader. Results are stored as 32-bit floats, each the single-
// precision rounding of its formula evaluated in double.

#include "base/vec3.h"

namespace cog {

// Used exactly as these single-precision literals.
constexpr float kPi = 3.14159f;
constexpr float kTwoPi = 6.28318f;
constexpr float kRadToDeg = 57.295776f;
constexpr float kDegToRad = 0.017453292f;

float vec3Dot(const Vec3& a, const Vec3& b);
void vec3Cross(const Vec3& a, const Vec3& b, float& outX, float& outY, float& outZ);
// Scales the triple to unit length; a zero triple becomes three NaNs.
void normalizeComponents(float& x, float& y, float& z);
void vec3Normalize(Vec3& v);
// The same products as the extension library's matrix builders compute
// them: every operation rounded to float in turn (no double intermediate),
// and a zero vector normalises to zero rather than NaN.
Vec3 vec3SubtractF(const Vec3& a, const Vec3& b);
float vec3DotF(const Vec3& a, const Vec3& b);
Vec3 vec3CrossF(const Vec3& a, const Vec3& b);
Vec3 vec3NormalizedOrZeroF(const Vec3& v);

// Direction in radians of the ground-plane vector from b to a; -kTwoPi when
// they share x and z.
float groundAngle(Vec3 a, Vec3 b);
// The yaw in degrees that turns an actor at a towards b.
float headingDegrees(Vec3 a, Vec3 b);

}  // namespace cog
