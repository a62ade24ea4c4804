// app/ may name anything.
#include "render/gl/gl_device.h"
#include "sim/state.h"
#include <SDL.h>
