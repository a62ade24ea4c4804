// From launching the game to its first frame in a real window, as a player
// waits for it: the process and its libraries, the sound, the window and
// its GL context, the shipped level, the first tick drawn. The game runs on
// the X display in DISPLAY (Xvfb will do; skipped without one) with
// `--ticks 1`, its trace going to a pipe read here: the first trace line
// comes right after the first frame. The game's peak resident memory is
// reported beside it.
//
// Arguments: 0 the shader device (--renderer gl), 1 the fixed-function
// device (--renderer compat); 1 to keep the GL sample memo between runs as
// a player's machine does, 0 to ask the GL again every time; 1 to play
// sound (OpenAL Soft's null device, so FluidSynth and the SoundFont load
// as with a sound card), 0 for --mute. Mesa's own shader cache is kept warm.
// COGSTORM_BENCH_BINARY names another build's cogstorm to time instead.
//
// BM_BareWindowFirstFrame launches bare_window the same way: the game's
// window and device drawing one triangle, no level, no sound. It is the
// floor of this machine's GL; the game's start is measured against it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace cog {
namespace {

namespace fs = std::filesystem;

struct Launch {
  double firstFrameMs = -1;  // -1: no trace line came
  double peakMiB = 0;
  int exitCode = -1;
};

Launch launchOnce(const std::string& binary, const std::string& renderer, bool sound, const fs::path& dir) {
  const fs::path fifo = dir / "trace.pipe";
  fs::remove(fifo);
  Launch out;
  if (mkfifo(fifo.c_str(), 0600) != 0) return out;
  std::vector<std::string> args{binary, "--no-settings", "--ticks", "1", "--renderer", renderer, "--trace", fifo.string()};
  if (!sound) args.emplace_back("--mute");
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.push_back("XDG_CACHE_HOME=" + (dir / "cache").string());
  env.push_back("MESA_SHADER_CACHE_DIR=" + (dir / "mesa").string());
  env.push_back("SDL_VIDEODRIVER=x11");
  env.push_back("ALSOFT_DRIVERS=null");
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  for (std::string& e : env) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return out;
  // Opening blocks until the game opens its end, early in its start.
  const int fd = open(fifo.c_str(), O_RDONLY);
  char c = 0;
  while (fd >= 0 && read(fd, &c, 1) == 1) {
    if (c == '\n') {
      out.firstFrameMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      break;
    }
  }
  while (fd >= 0 && read(fd, &c, 1) == 1) {
  }
  if (fd >= 0) close(fd);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) out.exitCode = WEXITSTATUS(status);
  out.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return out;
}

std::string gameBinary() {
  const char* other = std::getenv("COGSTORM_BENCH_BINARY");
  return other != nullptr && other[0] != '\0' ? other : COGSTORM_BINARY;
}

// Times `binary` to its first frame `state`'s iterations over, reporting
// the peak resident memory; the label starts with the renderer's name.
void timeFirstFrames(benchmark::State& state, const std::string& binary, const std::string& renderer, bool keepMemo,
                     bool sound, const std::string& label) {
  const fs::path dir = fs::temp_directory_path() / ("cogstorm_window_start_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path memo = dir / "cache" / "cogstorm" / "gl-samples.txt";
  // One unmeasured start: Mesa's shader cache and, when kept, the memo.
  if (launchOnce(binary, renderer, sound, dir).exitCode != 0) {
    state.SkipWithError("the program did not start in a window here");
    fs::remove_all(dir);
    return;
  }
  double peak = 0;
  for (auto _ : state) {
    if (!keepMemo) fs::remove(memo);
    const Launch run = launchOnce(binary, renderer, sound, dir);
    if (run.exitCode != 0 || run.firstFrameMs < 0) {
      state.SkipWithError("the program stopped before its first frame");
      break;
    }
    state.SetIterationTime(run.firstFrameMs / 1000.0);
    peak = std::max(peak, run.peakMiB);
  }
  state.counters["peakMiB"] = peak;
  state.SetLabel(renderer + label);
  fs::remove_all(dir);
}

bool haveDisplay(benchmark::State& state) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    state.SkipWithError("no DISPLAY: start an X server (Xvfb :99 &) and set DISPLAY=:99");
    return false;
  }
  return true;
}

void BM_WindowStartToFirstFrame(benchmark::State& state) {
  if (!haveDisplay(state)) return;
  const bool keepMemo = state.range(1) != 0;
  const bool sound = state.range(2) != 0;
  timeFirstFrames(state, gameBinary(), state.range(0) == 0 ? "gl" : "compat", keepMemo, sound,
                  std::string(keepMemo ? ", memo kept" : ", GL asked every start") + (sound ? ", sound" : ", muted"));
}
BENCHMARK(BM_WindowStartToFirstFrame)
    ->Args({0, 1, 0})
    ->Args({0, 0, 0})
    ->Args({1, 1, 0})
    ->Args({0, 1, 1})
    ->Iterations(8)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_BareWindowFirstFrame(benchmark::State& state) {
  if (!haveDisplay(state)) return;
  timeFirstFrames(state, BARE_WINDOW_BINARY, state.range(0) == 0 ? "gl" : "compat", true, false,
                  ", memo kept: the window and device, one triangle");
}
BENCHMARK(BM_BareWindowFirstFrame)->Arg(0)->Arg(1)->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cog
