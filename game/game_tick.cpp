#include "game/game_tick.h"

#include "game/actor_pass.h"
#include "game/game_state.h"
#include "level/level_data.h"
#include "render/camera.h"
#include "seams/render_device.h"
#include "render/draw_flags.h"
#include "render/lights.h"
#include "render/mirror_depth.h"
#include "render/record_draw.h"
#include "sim/collision.h"
#include "sim/state.h"

namespace cog {

namespace {

// Whether a record of room `roomNumber` is in sight from the player's room.
bool roomInSight(const Game& game, int32_t roomNumber) {
  // A player over no floor sees everything, so nothing vanishes.
  if (game.shell.currentRoom < 0) return true;
  return game.level.roomGraph.get(game.shell.currentRoom, roomNumber) != 0;
}

}  // namespace

int32_t GameTick(Game& game) {
  RenderDevice& device = *game.device;
  Scene scene = game.scene();
  const LevelData& level = game.level;
  DrawFlags& drawFlags = game.drawFlags;
  SimState& sim = game.sim;
  // The stencil is cleared with the frame and used only for the mirror.
  device.Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, kClearColour, 1.0f, 0);
  device.BeginScene();

  SetupLights(device, sim.player.position);
  SetupCamera(device, sim.player.position, sim.player.heading, game.viewAspect);
  sim.separationEnabled = 1;
  if (drawFlags.xrayMode) applyXrayStates(device);
  game.shell.currentRoom = locateRoom(level, sim.player.position);
  applyScenePassStages(device);

  const int32_t roomCount = level.roomCount();
  for (int32_t i = 0; i < roomCount; ++i) {
    const MeshRecord& room = level.rooms[i];
    drawFlags.outOfSight = roomInSight(game, room.roomNumber) ? 0 : 1;
    if (!room.isMarker && (!drawFlags.outOfSight || drawFlags.xrayMode)) draw(scene, room, i, DrawMode::Normal);
  }

  drawFlags.drawingObjects = 1;
  for (int32_t i = 0; i < level.propCount(); ++i)
    if (roomInSight(game, level.props[i].roomNumber)) draw(scene, level.props[i], i, DrawMode::Normal);
  drawFlags.drawingObjects = 0;

  RunActorPass(game);

  markMirrorStencil(scene);
  pushMirrorDepthToFar(scene);  // a pane drawn as a room must not hide its reflection
  const Matrix4 savedView = beginReflectedView(device);

  RunReflectedActorPass(game);
  for (int32_t i = 0; i < level.propCount(); ++i)
    if (roomInSight(game, level.props[i].roomNumber)) draw(scene, level.props[i], i, DrawMode::Normal);
  drawFlags.drawingObjects = 0;

  // Reflected rooms, each followed by its light-map overlay (not the pane).
  for (int32_t i = 0; i < roomCount; ++i) {
    const MeshRecord& room = level.rooms[i];
    drawFlags.outOfSight = roomInSight(game, room.roomNumber) ? 0 : 1;
    if (!room.isMarker && (!drawFlags.outOfSight || drawFlags.xrayMode)) {
      draw(scene, room, i, DrawMode::Normal);
      if (i != 0) draw(scene, room, i, DrawMode::Overlay);
    }
  }

  drawGlass(scene, savedView);  // and stencil testing ends with the glass

  device.EndScene();
  return device.Present();
}

}  // namespace cog
