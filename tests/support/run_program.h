#pragma once
// Running the built game program from a test.

#include <string>

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// Runs the program with `args` (a shell command line tail) and waits for it.
RunResult runProgram(const std::string& args);

// The whole of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
