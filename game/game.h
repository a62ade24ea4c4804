#pragma once
// The game: everything it keeps between ticks, in one object. A run makes
// one Game on a render device and an audio engine, starts it in the game's
// order, ticks it and feeds it keys; destroying it shuts the game down in
// the game's order, whatever happened before.

#include <string>
#include <vector>

#include "audio/sound.h"
#include "base/status.h"
#include "game/game_state.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/draw_flags.h"
#include "render/device_setup.h"
#include "render/lights.h"
#include "render/scene.h"
#include "seams/audio_engine.h"
#include "seams/render_device.h"
#include "sim/state.h"
#include "sim/world.h"

namespace cog {

// The message the game gives when its music or sounds cannot be loaded.
constexpr const char* kMediaMissingText = "Media not found, sample will now quit";
constexpr const char* kMediaMissingCaption = "RazoruVured Azereziv";

class Game {
 public:
  Game() = default;
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  SimState sim;            // the player, game over, separation, the shot's tip
  Actors actors;           // the seven robots and the shot with their models
  LevelData level;         // textures, materials, rooms, props, room graph
  AudioState audio;        // the engine (not owned), segments, music state
  ShellState shell;        // robots frozen, the room the player is in
  DrawFlags drawFlags;     // x-ray, out of sight, drawing objects
  BaseTextures textures;   // "blank.bmp" and "sky2.bmp"
  RenderDevice* device = nullptr;  // not owned; set by startDeviceAndLevel
  float viewAspect = 1.0f;  // presentation: width over height of the view (the wide aspect mode)

  // Start-up in the game's order from the working directory, in two steps
  // for a run that opens its window between them: the music and sounds (a
  // missing one stops the game before any window exists), then the device
  // states, base textures and the level. A failure names the file.
  Status startAudio(AudioEngine& engine);
  Status startDeviceAndLevel(RenderDevice& renderDevice);
  Status start(RenderDevice& renderDevice, AudioEngine& engine);

  // The level step alone, the files read through `open` (tests, fuzzing):
  // load, then build the room graph and reset the game.
  Status startLevelFrom(const LevelFileOpener& open);

  // Releases what start-up made, in the game's shut-down order, and leaves
  // a fresh game: the level's textures and buffers and the base textures
  // go back before the device may; the audio stops. Safe at any time.
  void shutdown();

  // The image files startDeviceAndLevel reads from the working directory,
  // in its order, as far as the level files name them: to decode ahead.
  static std::vector<std::string> startImageFiles();

  World world() { return World{sim, actors, level, audio}; }
  Scene scene() { return Scene{*device, level, drawFlags}; }
};

}  // namespace cog
