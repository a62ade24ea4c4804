#include "render/draw_flags.h"

namespace cog {

DrawFlags drawFlags;

}  // namespace cog
