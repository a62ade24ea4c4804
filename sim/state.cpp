#include "sim/state.h"

namespace cog {

SimState sim;

}  // namespace cog
