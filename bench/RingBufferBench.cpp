// Sample values per second through a SampleRing between two threads, next to a plain memcpy of
// the same chunk, so the cost of the ring's hand-over shows as a ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/RingBuffer.h"

namespace snipster {
namespace {

// A producer thread writes chunks while the benchmark thread reads them; both wait for a whole
// chunk like the stages of a cutting task do, but yield instead of sleeping.
void BM_RingTransfer(benchmark::State& state) {
  const auto chunk = static_cast<uint32_t>(state.range(0));
  SampleRing ring(kSampleRingCapacity);
  std::atomic<bool> stop{false};

  std::thread producer([&] {
    std::vector<int32_t> src(chunk);
    std::iota(src.begin(), src.end(), 1);
    while (!stop.load(std::memory_order_relaxed)) {
      if (ring.Free() < chunk) {
        std::this_thread::yield();
        continue;
      }
      ring.Write(src.data(), chunk);
    }
  });

  std::vector<int32_t> dst(chunk);
  for (auto _ : state) {
    while (ring.Available() < chunk) std::this_thread::yield();
    if (ring.Read(dst.data(), chunk) != chunk) {
      state.SkipWithError("a read returned less than was available");
      break;
    }
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  stop = true;
  producer.join();
  state.SetItemsProcessed(state.iterations() * chunk);
  state.SetBytesProcessed(state.iterations() * chunk * sizeof(int32_t));
}
BENCHMARK(BM_RingTransfer)->Arg(1152)->Arg(4608)->UseRealTime();

void BM_Memcpy(benchmark::State& state) {
  const auto chunk = static_cast<uint32_t>(state.range(0));
  std::vector<int32_t> src(chunk);
  std::iota(src.begin(), src.end(), 1);
  std::vector<int32_t> dst(chunk);
  for (auto _ : state) {
    benchmark::DoNotOptimize(src.data());
    std::memcpy(dst.data(), src.data(), chunk * sizeof(int32_t));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * chunk);
  state.SetBytesProcessed(state.iterations() * chunk * sizeof(int32_t));
}
BENCHMARK(BM_Memcpy)->Arg(1152)->Arg(4608)->UseRealTime();

// The console report followed by the ring's rate as a share of memcpy's, per chunk size, from
// the median of the repetitions.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const auto rate = run.counters.find("items_per_second");
      if (rate == run.counters.end()) continue;
      const Key key{run.run_name.function_name, run.run_name.args};
      // With --benchmark_report_aggregates_only only the aggregates arrive here.
      std::vector<double>& rates = rates_[key];
      if (run.run_type == Run::RT_Iteration) {
        rates.push_back(rate->second.value);
      } else if (run.aggregate_name == "median") {
        medians_[key] = rate->second.value;
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& entry : rates_) {
      const Key& key = entry.first;
      if (key.first != "BM_RingTransfer" || !rates_.count({"BM_Memcpy", key.second})) continue;
      const double ring = RateOf(key);
      const double copy = RateOf({"BM_Memcpy", key.second});
      if (ring <= 0 || copy <= 0) continue;
      std::printf("chunk %s: ring %.3g values/s, memcpy %.3g values/s, ring/memcpy %.3f\n",
                  key.second.c_str(), ring, copy, ring / copy);
    }
  }

 private:
  using Key = std::pair<std::string, std::string>;

  double RateOf(const Key& key) const {
    const auto median = medians_.find(key);
    return median != medians_.end() ? median->second : Median(rates_.at(key));
  }

  static double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
  }

  std::map<Key, std::vector<double>> rates_;
  std::map<Key, double> medians_;
};

}  // namespace
}  // namespace snipster

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  snipster::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
