// Soak: one million headless ticks on the shipped level, the player firing
// and turning all the way (and starting a new game every 600 ticks, so the
// robots keep coming). The trace goes through a pipe into a hash; resident
// memory is sampled at tick 10 000 and at the last tick. Run with
// --benchmark_repetitions=2 to see that both runs give the same hash.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "app/headless.h"

namespace cog {

namespace {

constexpr int64_t kTicks = 1000000;
constexpr int64_t kEarlySample = 10000;

int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// Fire every 7 ticks, turn right every 3, walk forward every 11, new game
// every 600.
void writeKeyScript(const std::string& path) {
  std::ofstream out(path);
  for (int64_t t = 1; t <= kTicks; ++t) {
    if (t % 600 == 0) out << t << " 78\n";
    if (t % 7 == 0) out << t << " 32\n";
    if (t % 3 == 0) out << t << " 39\n";
    if (t % 11 == 0) out << t << " 38\n";
  }
}

struct TraceHash {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a, 64 bits
  int64_t lines = 0;
  int64_t earlyResident = 0;
  int64_t lateResident = 0;
};

// Reads the trace from the pipe until the writer closes it.
void hashTrace(const std::string& fifo, TraceHash& out) {
  std::FILE* in = std::fopen(fifo.c_str(), "rb");
  if (in == nullptr) return;
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
    for (size_t i = 0; i < n; ++i) {
      out.hash = (out.hash ^ static_cast<uint8_t>(buf[i])) * 1099511628211ull;
      if (buf[i] == '\n') {
        ++out.lines;
        if (out.lines == kEarlySample) out.earlyResident = residentBytes();
        if (out.lines == kTicks) out.lateResident = residentBytes();
      }
    }
  }
  std::fclose(in);
}

void BM_SoakMillionTicks(benchmark::State& state) {
  const std::string level = COGSTORM_SHIPPED_LEVEL_BUILD;
  char dirTemplate[] = "/tmp/cogstorm-soak-XXXXXX";
  if (mkdtemp(dirTemplate) == nullptr || chdir(level.c_str()) != 0) {
    state.SkipWithError("cannot set up the soak run");
    return;
  }
  const std::string dir = dirTemplate;
  HeadlessOptions options;
  options.ticks = kTicks;
  options.inputPath = dir + "/keys";
  options.tracePath = dir + "/trace";
  writeKeyScript(options.inputPath);
  if (mkfifo(options.tracePath.c_str(), 0600) != 0) {
    state.SkipWithError("cannot make the trace pipe");
    return;
  }

  TraceHash result;
  int status = -1;
  std::ostringstream err;
  for (auto _ : state) {
    result = TraceHash();
    std::thread reader(hashTrace, options.tracePath, std::ref(result));
    status = runHeadless(options, err);
    reader.join();
  }
  std::remove(options.tracePath.c_str());
  std::remove(options.inputPath.c_str());
  rmdir(dir.c_str());
  if (status != 0 || result.lines != kTicks) {
    state.SkipWithError(("the run failed: " + err.str()).c_str());
    return;
  }

  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, result.hash);
  state.SetLabel(std::string("trace hash ") + hash);
  state.counters["ticks_per_s"] = benchmark::Counter(static_cast<double>(kTicks), benchmark::Counter::kIsRate);
  state.counters["rss_tick10k_MiB"] = static_cast<double>(result.earlyResident) / (1 << 20);
  state.counters["rss_end_MiB"] = static_cast<double>(result.lateResident) / (1 << 20);
}
BENCHMARK(BM_SoakMillionTicks)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

}  // namespace cog
