#pragma once
// Running the built game program from a test.

#include <string>

namespace cog {

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// Runs a shell command line and waits for it.
RunResult runCommand(const std::string& commandLine);

// Runs the program with `args` (a shell command line tail), after
// `environment` (e.g. "env -u DISPLAY "), and waits for it. Its settings
// folder is the tests' own, in the build folder.
RunResult runProgram(const std::string& args, const std::string& environment = "");

// The whole of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

}  // namespace cog
