#pragma once
// The OpenGL surface the game asks for, the same for its window and for an
// offscreen surface, so that both draw the same picture: a compatibility
// context, 8-bit colour channels, 24-bit depth, 8-bit stencil for the
// mirror, double-buffered, and 2 samples per pixel as the game's device
// asked (the driver may grant more).

// Sets SDL's GL attributes before a GL window is made; `samples` 0 asks for
// no multisampling.
void requestGameGlAttributes(int samples);

// The samples per pixel the game asks for.
constexpr int kGameGlSamples = 2;
