#pragma once
// Start-up and shut-down of a game on a given render device and audio
// engine: audio, device states and base textures, then the level.

#include <cstdint>
#include <string>

namespace cog {

class RenderDevice;
class AudioEngine;

// The message the game gives when its music or sounds cannot be loaded.
constexpr const char* kMediaMissingText = "Media not found, sample will now quit";
constexpr const char* kMediaMissingCaption = "RazoruVured Azereziv";

enum class StartFailure { None, Media, Device, Level };

// Sets everything up in the game's start-up order from the working
// directory. On failure `error` says what and where.
StartFailure startGame(RenderDevice& renderDevice, AudioEngine& engine, std::string& error);

// The same in two steps, for a start that opens its window between them:
// the music and sounds (a missing one stops the game before any window
// exists), then the device states, base textures and the level.
StartFailure startAudio(AudioEngine& engine, std::string& error);
StartFailure startDeviceAndLevel(RenderDevice& renderDevice, std::string& error);

// Releases what startGame made, in the game's shut-down order; safe after a
// failed start. The device and engine themselves stay with the caller.
void shutdownGame();

}  // namespace cog
