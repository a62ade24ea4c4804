#include "app/cli.h"

#include <CLI/CLI.hpp>

int runCogstorm(int argc, char** argv) {
  CLI::App app{"Cogstorm: a first-person action game", "cogstorm"};
  app.set_version_flag("--version", COGSTORM_VERSION);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
