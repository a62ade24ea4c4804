#include "sim/state.h"

SimState sim;
