#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace cog {

RunResult runCommand(const std::string& commandLine) {
  RunResult result;
  const std::string command = commandLine + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) result.output.append(buf, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

RunResult runProgram(const std::string& args, const std::string& environment) {
  return runCommand("XDG_CONFIG_HOME='" COGSTORM_TEST_CONFIG "' XDG_CACHE_HOME='" COGSTORM_TEST_CACHE "' " + environment +
                    COGSTORM_BINARY + " " + args);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace cog
