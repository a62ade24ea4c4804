#include "game/actor_pass.h"

#include "game/game_state.h"
#include "level/model.h"
#include "render/draw_flags.h"
#include "render/model_draw.h"
#include "sim/actor_step.h"
#include "sim/movement.h"
#include "sim/robots.h"
#include "sim/shot.h"
#include "sim/state.h"

namespace cog {

namespace {

void endGameAt(SimState& sim, float x) {
  sim.player.position.x = x;
  sim.player.position.z = kEndPlaceZ;
  sim.player.heading = 0.0f;
  sim.gameOver = 1;
}

}  // namespace

void UpdateAndDraw(Game& game, Actor& actor, bool advance) {
  World world = game.world();
  if (!actorStep(world, actor, advance)) return;
  Scene scene = game.scene();
  drawActor(scene, actor);
  if (advance) AdvancePhase(actor);
}

void RunActorPass(Game& game) {
  World world = game.world();
  DrawFlags& drawFlags = game.drawFlags;
  Actors& actors = game.actors;
  // Robots turn, step, and are advanced and drawn, in index order. Dead
  // robots and robots of a finished game turn and step too.
  for (Actor& robot : actors.robots) {
    if (!game.shell.robotsFrozen) robotTurnAndStep(world, robot);
    drawFlags.drawingObjects = 1;
    UpdateAndDraw(game, robot, true);
    drawFlags.drawingObjects = 0;
  }

  // Both end tests run every tick, also once the game is over.
  if (robotCatchesPlayer(world)) endGameAt(game.sim, kCaughtPlaceX);
  bool anyAlive = false;
  for (const Actor& robot : actors.robots) anyAlive = anyAlive || robot.alive;
  if (!anyAlive) endGameAt(game.sim, kWonPlaceX);

  // The shot: the wall test looks from where it is to where it will be.
  Actor& shot = actors.shot;
  drawFlags.drawingObjects = 1;
  shotBlocked(world);  // a wall stops the shot where it is
  if (shot.inFlight) UpdateAndDraw(game, shot, true);
  drawFlags.drawingObjects = 0;

  shotHits(world);
}

void RunReflectedActorPass(Game& game) {
  Actors& actors = game.actors;
  game.drawFlags.drawingObjects = 1;
  for (Actor& robot : actors.robots) UpdateAndDraw(game, robot, false);
  // The mirror shows the shot only while the direct view does.
  if (actors.shot.inFlight) UpdateAndDraw(game, actors.shot, false);
}

}  // namespace cog
