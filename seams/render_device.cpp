#include "seams/render_device.h"

namespace cog {

RenderDevice* device = nullptr;

}  // namespace cog
