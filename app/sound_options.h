#pragma once
// What the command line says about sound.

#include <string>

namespace cog {

struct SoundOptions {
  bool mute = false;          // --mute: the window plays no sound at all
  std::string soundFont;      // --soundfont FILE: the SoundFont for the music
  std::string audioOutPath;   // --audio-out FILE.wav: a headless run's sound, recorded
  bool feedbackSounds = true;  // the fire and robot-down sounds (off with --classic)
};

}  // namespace cog
