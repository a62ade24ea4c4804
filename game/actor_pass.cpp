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

void endGameAt(float x) {
  sim.player.position.x = x;
  sim.player.position.z = kEndPlaceZ;
  sim.player.heading = 0.0f;
  sim.gameOver = 1;
}

}  // namespace

void UpdateAndDraw(Actor& actor, bool advance) {
  if (!actorStep(actor, advance)) return;
  drawActor(actor);
  if (advance) AdvancePhase(actor);
}

void RunActorPass() {
  // Robots turn, step, and are advanced and drawn, in index order. Dead
  // robots and robots of a finished game turn and step too.
  for (Actor& robot : actors.robots) {
    if (!shell.robotsFrozen) robotTurnAndStep(robot);
    drawFlags.drawingObjects = 1;
    UpdateAndDraw(robot, true);
    drawFlags.drawingObjects = 0;
  }

  // Both end tests run every tick, also once the game is over.
  if (robotCatchesPlayer()) endGameAt(kCaughtPlaceX);
  bool anyAlive = false;
  for (const Actor& robot : actors.robots) anyAlive = anyAlive || robot.alive;
  if (!anyAlive) endGameAt(kWonPlaceX);

  // The shot: the wall test looks from where it is to where it will be.
  Actor& shot = actors.shot;
  drawFlags.drawingObjects = 1;
  shotBlocked();  // a wall stops the shot where it is
  if (shot.inFlight) UpdateAndDraw(shot, true);
  sim.moverIndex = 0;
  drawFlags.drawingObjects = 0;

  shotHits();
}

void RunReflectedActorPass() {
  drawFlags.drawingObjects = 1;
  for (Actor& robot : actors.robots) UpdateAndDraw(robot, false);
  // The mirror shows the shot only while the direct view does.
  if (actors.shot.inFlight) UpdateAndDraw(actors.shot, false);
}

}  // namespace cog
