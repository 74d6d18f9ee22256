// SaveFont against the cheapest way to put the same number of bytes into a file: one write()
// of them all. Both run in every iteration, so they meet the same cache and the same noise;
// the reported time is the save's, and "ratio" is the save's total over the write's.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_font.h"
#include "export/include_text.h"
#include "export/save_font.h"

namespace kestrova {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void SaveAgainstOneWrite(benchmark::State& state, int height, bool glcdMode) {
  BenchFont bench(height);
  SaveFont(*bench.font, *bench.console, glcdMode);
  std::size_t byteCount =
      TableSize(height) + std::filesystem::file_size(IncludeFileName(bench.font->fileName));

  std::string bytes(byteCount, 'x');
  std::string plainName = (bench.directory / "plain.bin").string();
  int plain = ::open(plainName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (plain < 0 || ::pwrite(plain, bytes.data(), byteCount, 0) != static_cast<ssize_t>(byteCount))
    std::abort();

  double saveSeconds = 0;
  double writeSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    SaveFont(*bench.font, *bench.console, glcdMode);
    double save = SecondsSince(start);

    start = Clock::now();
    ssize_t written = ::pwrite(plain, bytes.data(), byteCount, 0);
    writeSeconds += SecondsSince(start);
    if (written != static_cast<ssize_t>(byteCount)) std::abort();

    saveSeconds += save;
    state.SetIterationTime(save);
  }
  ::close(plain);

  auto iterations = static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(byteCount);
  state.counters["write_us"] = writeSeconds / iterations * 1e6;
  state.counters["ratio"] = saveSeconds / writeSeconds;
}

BENCHMARK_CAPTURE(SaveAgainstOneWrite, rows16, 16, false)->UseManualTime();
BENCHMARK_CAPTURE(SaveAgainstOneWrite, rows8, 8, false)->UseManualTime();
BENCHMARK_CAPTURE(SaveAgainstOneWrite, rows8_glcd, 8, true)->UseManualTime();

}  // namespace
}  // namespace kestrova

BENCHMARK_MAIN();
