// The 4 x 4 reduction against a plain copy of its input and against the obvious
// nested loops, measured in one run and printed as ratios.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "meter/layer_reduce.h"
#include "tests/support/reference_reduce.h"

namespace {

// The 96-DPI meter: a 240 x 240 face and mask into a 60 x 60 layer.
constexpr int kLayerSize = 60;
constexpr int kFaceSize = 4 * kLayerSize;
constexpr int kRowBytes = kFaceSize * 3;
constexpr size_t kInputBytes = 2u * kRowBytes * kFaceSize;  // 345,600

struct Pictures {
    std::vector<uint8_t> face = std::vector<uint8_t>(kRowBytes * kFaceSize);
    std::vector<uint8_t> mask = std::vector<uint8_t>(kRowBytes * kFaceSize);
    std::vector<uint8_t*> faceRows = std::vector<uint8_t*>(kFaceSize);
    std::vector<uint8_t*> maskRows = std::vector<uint8_t*>(kFaceSize);
    std::vector<uint8_t> layer = std::vector<uint8_t>(kLayerSize * kLayerSize * 4);
    Pictures() {
        std::mt19937 random(7);
        for (int y = 0; y < kFaceSize; ++y) {
            faceRows[y] = face.data() + (kFaceSize - 1 - y) * kRowBytes;
            maskRows[y] = mask.data() + (kFaceSize - 1 - y) * kRowBytes;
        }
        for (auto* picture : {&face, &mask}) {
            for (auto& b : *picture) {
                b = static_cast<uint8_t>(random());
            }
        }
    }
};

Pictures g_pictures;

template <typename Reduce> void BM_Reduce(benchmark::State& state, Reduce reduce) {
    Pictures& p = g_pictures;
    for (auto _ : state) {
        reduce(p.faceRows.data(), p.maskRows.data(), kLayerSize, p.layer.data());
        benchmark::DoNotOptimize(p.layer.data());
        benchmark::ClobberMemory();
    }
}

void BM_CopyInput(benchmark::State& state) {
    Pictures& p = g_pictures;
    std::vector<uint8_t> out(kInputBytes);
    for (auto _ : state) {
        memcpy(out.data(), p.face.data(), p.face.size());
        memcpy(out.data() + p.face.size(), p.mask.data(), p.mask.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

// Each runs five times, the three in a shuffled order, and the ratios take each one's
// fastest run in CPU time: the machine is shared, and a stretch that other work slowed
// (or took the CPU from) says nothing of the code.
void FiveTimes(benchmark::internal::Benchmark* b) {
    b->MinTime(0.1)->Repetitions(5)->DisplayAggregatesOnly()->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}
BENCHMARK(BM_CopyInput)->Apply(FiveTimes);
BENCHMARK_CAPTURE(BM_Reduce, fast, ReduceLayer)->Apply(FiveTimes);
BENCHMARK_CAPTURE(BM_Reduce, reference, ReduceLayerReference)->Apply(FiveTimes);

// Keeps each benchmark's fastest time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour codes only on a terminal: the figures also go to logs.
    RatioReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                nanoseconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char shuffled[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, shuffled);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double copy = reporter.nanoseconds["BM_CopyInput"];
    const double fast = reporter.nanoseconds["BM_Reduce/fast"];
    const double reference = reporter.nanoseconds["BM_Reduce/reference"];
    if (copy > 0 && fast > 0 && reference > 0) {
        printf("reduction / memcpy of its %zu input bytes: %.2fx (goal: at most 3x)\n", kInputBytes,
               fast / copy);
        printf("nested-loop reference / reduction: %.2fx faster\n", reference / fast);
    }
    return 0;
}
