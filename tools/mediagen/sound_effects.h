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

}  // namespace mediagen

}  // namespace cog
