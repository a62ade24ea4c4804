#pragma once
// The two actor passes of a tick: the simulation and drawing of the robots
// and the shot, and their reflection in the mirror.

#include "game/game.h"

namespace cog {

// Where the player is put when the game ends.
constexpr float kCaughtPlaceX = -1900.0f;
constexpr float kWonPlaceX = -1800.0f;
constexpr float kEndPlaceZ = 9900.0f;

// One actor's turn in a pass: the actor step (sim), then its drawing
// (render), then with `advance` its walk phase (sim), in that order.
void UpdateAndDraw(Game& game, Actor& actor, bool advance);

void RunActorPass(Game& game);
void RunReflectedActorPass(Game& game);

}  // namespace cog
