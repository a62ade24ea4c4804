// The game installed with `cmake --install` to a throw-away prefix: every
// file lands where desktops look for it, the program finds its level from
// wherever the tree is moved, the launcher and metainfo pass their
// validators, and the install manifest lists everything an uninstall
// removes.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/run_program.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

// Runs a shell command in `folder`.
RunResult run(const fs::path& folder, const std::string& command) {
  return runCommand("cd '" + folder.string() + "' && " + command);
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("cogstorm-install-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "elsewhere");
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(Install, InstallsAnywhereAndRunsFromThere) {
  // The component install writes its own manifest and leaves the one of a
  // real install in the build folder alone.
  const fs::path prefix = dir / "prefix";
  RunResult r = run(dir, std::string("'") + COGSTORM_CMAKE + "' --install '" + COGSTORM_BUILD_DIR +
                             "' --component cogstorm --prefix " + quoted(prefix));
  ASSERT_EQ(r.exitCode, 0) << r.output;

  const std::string id = "org.cogstorm.Cogstorm";
  for (const std::string& file :
       {std::string("bin/cogstorm"), std::string("share/cogstorm/level/dat.txt"),
        "share/applications/" + id + ".desktop", "share/metainfo/" + id + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + id + ".svg", "share/icons/hicolor/48x48/apps/" + id + ".png",
        "share/icons/hicolor/256x256/apps/" + id + ".png", std::string("share/man/man6/cogstorm.6")})
    EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;

  // An uninstall removes the files the manifest lists: that must be all of them.
  std::set<std::string> listed, installed;
  std::ifstream manifest(fs::path(COGSTORM_BUILD_DIR) / "install_manifest_cogstorm.txt");
  for (std::string line; std::getline(manifest, line);)
    if (!line.empty()) listed.insert(line);
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(prefix))
    if (!e.is_directory()) installed.insert(e.path().string());
  EXPECT_EQ(listed, installed);

  // Moved elsewhere and started from a folder without a level, the program
  // still finds its own; --data still wins over it.
  const fs::path moved = dir / "moved";
  fs::rename(prefix, moved);
  const std::string program = quoted(moved / "bin/cogstorm");
  r = run(dir / "elsewhere", program + " --check");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.rfind("level ok\n", 0), 0u) << r.output;
  fs::create_directories(dir / "broken");
  std::ofstream(dir / "broken" / "dat.txt") << "not a level\n";
  r = run(dir / "elsewhere", program + " --data ../broken --check");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_EQ(r.output.find("level ok"), std::string::npos) << r.output;

  // Without its level it says where it looked.
  fs::rename(moved / "share/cogstorm", dir / "level-away");
  r = run(dir / "elsewhere", program + " --check");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find((moved / "share/cogstorm/level").string()), std::string::npos) << r.output;
  fs::rename(dir / "level-away", moved / "share/cogstorm");

  // The desktop's validators, and the man page formats without a warning.
  r = run(dir, "desktop-file-validate " + quoted(moved / "share/applications" / (id + ".desktop")));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "");
  r = run(dir, "appstreamcli validate-tree --no-net " + quoted(moved));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  const fs::path manPage = moved / "share/man/man6/cogstorm.6";
  r = run(dir, "groff -t -man -ww -z " + quoted(manPage));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "");
  // The man page, written by hand, names every option the program has.
  std::ifstream manIn(manPage);
  const std::string man((std::istreambuf_iterator<char>(manIn)), std::istreambuf_iterator<char>());
  r = run(dir, program + " --help");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  int options = 0;
  for (size_t at = r.output.find("--"); at != std::string::npos; at = r.output.find("--", at + 2)) {
    const size_t end = r.output.find_first_not_of("abcdefghijklmnopqrstuvwxyz", at + 2);
    const std::string option = r.output.substr(at + 2, end - at - 2);
    ++options;
    EXPECT_NE(man.find("\\-\\-" + option), std::string::npos) << "--" << option << " is not in the man page";
  }
  EXPECT_GE(options, 9);
}

}  // namespace

}  // namespace cog
