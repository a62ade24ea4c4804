#include "render/device.h"

RenderDevice* device = nullptr;
