#pragma once
// The command line of the program `cogstorm`.

int runCogstorm(int argc, char** argv);
