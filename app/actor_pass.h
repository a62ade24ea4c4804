#pragma once
// The two actor passes of a tick: the simulation and drawing of the robots
// and the shot, and their reflection in the mirror.

// Where the player is put when the game ends.
constexpr float kCaughtPlaceX = -1900.0f;
constexpr float kWonPlaceX = -1800.0f;
constexpr float kEndPlaceZ = 9900.0f;

void RunActorPass();
void RunReflectedActorPass();
