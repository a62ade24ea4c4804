// The C library's heap policy (glibc's mallopt).
#include "platform/heap_policy.h"

#include <cstdlib>  // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace cog {

namespace {
// The fixed-function device on llvmpipe stalled until at least 16 MB were
// kept (8 MB was not enough at 512 x 512); twice that leaves room for a
// larger window. What lies above it at the heap's top still goes back.
constexpr int kKeptTopBytes = 32 << 20;
}  // namespace

void keepFreedMemoryBetweenFrames() {
#if defined(__GLIBC__)
  mallopt(M_TRIM_THRESHOLD, kKeptTopBytes);
#endif
}

}  // namespace cog
