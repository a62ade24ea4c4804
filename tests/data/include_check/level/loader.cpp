// Points up the layers: the level may not reach into the simulation.
#include "level/loader.h"

#include "base/angles.h"
#include "sim/movement.h"
