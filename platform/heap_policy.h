#pragma once
// How the C library's heap gives freed memory back to the system. A
// software GL (Mesa's llvmpipe) frees and allocates megabytes of frame
// memory every frame; by default the C library hands it back at once and
// the next frame faults it in again, page by page, which stalled one frame
// in twenty by 20-40 ms on the fixed-function device.

namespace cog {

// From now on, freed memory at the top of the heap is kept, up to a few
// tens of megabytes, for the next frames. Runs that draw with GL call it
// after their first frame, so that what the start frees before the first
// frame's peak still goes back; runs that draw nothing keep the default.
// Does nothing where the C library has no such setting.
void keepFreedMemoryBetweenFrames();

}  // namespace cog
