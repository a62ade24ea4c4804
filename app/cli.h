#pragma once
// The command line of the program `cogstorm`.

namespace cog {

int runCogstorm(int argc, char** argv);

}  // namespace cog
