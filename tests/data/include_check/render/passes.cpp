// Points across to a backend, and sideways into the simulation.
#include "render/gl/gl_device.h"
#include "sim/state.h"
