#include "app/cli.h"

int main(int argc, char** argv) { return cog::runCogstorm(argc, argv); }

