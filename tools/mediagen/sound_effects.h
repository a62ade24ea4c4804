#pragma once
// The game's two sound effects, synthesized: signals in floating point at
// the given sample rate, peaks left to the caller to set.

#include <vector>

namespace cog {

namespace mediagen {

// The robots' footstep, "gun.wav": a short metallic clank (150 ms) of
// inharmonic partials that die fast, a noise strike and a low thud.
std::vector<double> clankSound(int sampleRate);
// The death sound, "dead.wav" (1.5 s): a distorted, detuned tone falling
// nearly three octaves over a grinding gear noise that slows to a stop.
std::vector<double> deathSound(int sampleRate);
// The player's shot leaving, "fire.wav" (180 ms): a bright zap sweeping
// down two octaves over a short noise crack.
std::vector<double> fireSound(int sampleRate);
// A robot destroyed, "robot_down.wav" (700 ms): a crunch of filtered
// noise, a heavy thump and a tone winding down as the machine dies.
std::vector<double> robotDownSound(int sampleRate);

}  // namespace mediagen

}  // namespace cog
