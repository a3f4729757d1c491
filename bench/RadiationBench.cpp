// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks: one latitude's year, and a batch of 10,000 latitudes beside its floor, the
// creating and writing of the same 10,000 files with no computation. The batch should take at
// most twice the floor; the ratio is printed at the end.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "model/AnnualRadiation.hpp"
#include "model/Radiation.hpp"

namespace {

namespace fs = std::filesystem;
using namespace marovane;

constexpr int kBatchSize = 10000;

void BM_YearByDailyRadiation(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0.0;
    for (std::int16_t day = 1; day <= 365; ++day) {
      sum += DailyRadiation(41.9f, day);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_YearByDailyRadiation);

void BM_YearByAnnualTable(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(AnnualRadiation(41.9f));
  }
}
BENCHMARK(BM_YearByAnnualTable);

void BM_AnnualCycleTextDekadal(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(AnnualCycleText(41.9f, CycleChoice{}));
  }
}
BENCHMARK(BM_AnnualCycleTextDekadal);

// A folder with the input file of 10,000 distinct latitudes, removed at the end.
struct BatchFolder {
  fs::path dir = fs::temp_directory_path() / ("marovane-bench-" + std::to_string(::getpid()));
  fs::path input = dir / "lats.txt";
  std::vector<float> latitudes;

  BatchFolder() {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream out(input);
    for (int i = 0; i < kBatchSize; ++i) {
      const float latitude = static_cast<float>(i - kBatchSize / 2) / 55.56f;
      latitudes.push_back(latitude);
      out << latitude << "\n";
      // Both the batch and its floor then replace existing files, whichever runs first.
      WriteFileBytes(BatchOutputName(input.string(), latitude), "");
    }
  }
  ~BatchFolder() { fs::remove_all(dir); }
};

BatchFolder& Folder() {
  static BatchFolder folder;
  return folder;
}

void BM_Batch10000(benchmark::State& state) {
  BatchFolder& folder = Folder();
  std::int32_t written = 0;
  for (auto _ : state) {
    written = RunBatch(folder.input, CycleChoice{}, [](const std::string&) {}).written;
  }
  if (written != kBatchSize) {
    state.SkipWithError("the batch did not write every file");
  }
}
BENCHMARK(BM_Batch10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same files' bytes, made before the clock runs: only creating and writing remain.
void BM_Batch10000Floor(benchmark::State& state) {
  BatchFolder& folder = Folder();
  std::vector<std::pair<std::string, std::string>> files;
  for (float latitude : folder.latitudes) {
    files.emplace_back(BatchOutputName(folder.input.string(), latitude),
                       AnnualCycleText(latitude, CycleChoice{}));
  }
  for (auto _ : state) {
    for (const auto& [name, bytes] : files) {
      WriteFileBytes(name, bytes);
    }
  }
}
BENCHMARK(BM_Batch10000Floor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Prints the batch's time as a multiple of its floor after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto batch = seconds_.find("BM_Batch10000/min_time:2.000");
    const auto floor = seconds_.find("BM_Batch10000Floor/min_time:2.000");
    if (batch != seconds_.end() && floor != seconds_.end() && floor->second > 0.0) {
      std::printf("batch / floor = %.2f (target: at most 2)\n", batch->second / floor->second);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
