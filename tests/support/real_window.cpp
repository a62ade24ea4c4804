#include "support/real_window.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

namespace cog {

namespace fs = std::filesystem;

pid_t spawnProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, int outputFd) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_CACHE_HOME", COGSTORM_TEST_CACHE, 1);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (outputFd >= 0) {
      dup2(outputFd, 1);
      dup2(outputFd, 2);
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

int waitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RealWindowTest::SetUp() {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  // -displayfd: the server picks a free display and tells us its number.
  const std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
  xvfb = spawnProgram({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"}, {});
  close(fds[1]);
  char buf[32] = {};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  ASSERT_GT(n, 0) << "Xvfb did not start (is the xvfb package installed?)";
  display = ":";
  display.append(buf, static_cast<size_t>(n - (buf[n - 1] == '\n' ? 1 : 0)));
  dir = fs::temp_directory_path() / ("cogstorm-window-" + std::to_string(getpid()));
  fs::create_directories(dir);
}

void RealWindowTest::TearDown() {
  if (game > 0) {  // a failed test leaves no game behind
    kill(game, SIGKILL);
    waitExit(game);
  }
  if (xvfb > 0) {
    kill(xvfb, SIGTERM);
    waitExit(xvfb);
  }
  fs::remove_all(dir);
}

std::vector<std::string> RealWindowTest::gameEnvironment() const {
  // Under the sanitizers, the X, D-Bus and Mesa libraries the window loads
  // leave allocations behind at exit that are theirs, not the game's.
  return {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "ALSOFT_DRIVERS=null", "ASAN_OPTIONS=detect_leaks=0",
          "XDG_CONFIG_HOME=" COGSTORM_TEST_CONFIG};
}

void RealWindowTest::startGame(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::vector<std::string> all{COGSTORM_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<std::string> environment = gameEnvironment();
  environment.insert(environment.end(), env.begin(), env.end());
  game = spawnProgram(all, environment);
}

int RealWindowTest::gameExit() {
  const int code = waitExit(game);
  game = -1;
  return code;
}

int RealWindowTest::xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> full{"xdotool"};
  full.insert(full.end(), args.begin(), args.end());
  // search prints the window ids it finds: not wanted in the test log.
  const int devNull = ::open("/dev/null", O_WRONLY);
  const int code = waitExit(spawnProgram(full, {"DISPLAY=" + display}, devNull));
  if (devNull >= 0) close(devNull);
  return code;
}

std::string RealWindowTest::waitForWindow() {
  const std::string command = "DISPLAY=" + display + " xdotool search --sync --onlyvisible --name '^Cogstorm!' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  char line[64] = {};
  const bool got = fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  std::string id = got ? line : "";
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

WindowGeometry RealWindowTest::geometry(const std::string& window, const WindowGeometry& expected) {
  WindowGeometry now, before;
  for (int tries = 0; tries < 60; ++tries) {
    const std::string command = "DISPLAY=" + display + " xdotool getwindowgeometry --shell " + window + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    char line[64];
    while (fgets(line, sizeof line, pipe)) {
      std::sscanf(line, "X=%d", &now.x);
      std::sscanf(line, "Y=%d", &now.y);
      std::sscanf(line, "WIDTH=%d", &now.width);
      std::sscanf(line, "HEIGHT=%d", &now.height);
    }
    pclose(pipe);
    if (expected.width != 0 ? now == expected : tries >= 4 && now == before) return now;
    before = now;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return now;
}

}  // namespace cog
