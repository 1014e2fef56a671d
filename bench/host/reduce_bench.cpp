// The 4 x 4 reduction against a plain copy of its input and against the obvious
// nested loops, measured in one run and printed as ratios.
#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "meter/layer_reduce.h"
#include "tests/support/reference_reduce.h"

namespace {

// The 96-DPI meter: a 240 x 240 face and mask into a 60 x 60 layer.
constexpr int kLayerSize = 60;
constexpr int kFaceSize = 4 * kLayerSize;
constexpr int kLayerBytes = kLayerSize * kLayerSize * 4;
constexpr int kRowBytes = kFaceSize * 3;
constexpr size_t kInputBytes = 2u * kRowBytes * kFaceSize;  // 345,600

struct Pictures {
    std::vector<uint8_t> face = std::vector<uint8_t>(kRowBytes * kFaceSize);
    std::vector<uint8_t> mask = std::vector<uint8_t>(kRowBytes * kFaceSize);
    std::vector<uint8_t*> faceRows = std::vector<uint8_t*>(kFaceSize);
    std::vector<uint8_t*> maskRows = std::vector<uint8_t*>(kFaceSize);
    std::vector<uint8_t> layer = std::vector<uint8_t>(kLayerBytes);
    Pictures() {
        std::mt19937 random(7);
        for (auto& b : face) {
            b = static_cast<uint8_t>(random());
        }
        for (auto& b : mask) {
            b = static_cast<uint8_t>(random());
        }
        for (int y = 0; y < kFaceSize; ++y) {
            faceRows[y] = face.data() + (kFaceSize - 1 - y) * kRowBytes;
            maskRows[y] = mask.data() + (kFaceSize - 1 - y) * kRowBytes;
        }
    }
};

Pictures& Shared() {
    static Pictures p;
    return p;
}

void BM_Reduce(benchmark::State& state) {
    Pictures& p = Shared();
    for (auto _ : state) {
        ReduceLayer(p.faceRows.data(), p.maskRows.data(), kLayerSize, p.layer.data());
        benchmark::DoNotOptimize(p.layer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kInputBytes);
}

void BM_ReduceReference(benchmark::State& state) {
    Pictures& p = Shared();
    for (auto _ : state) {
        ReduceLayerReference(p.faceRows.data(), p.maskRows.data(), kLayerSize, p.layer.data());
        benchmark::DoNotOptimize(p.layer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kInputBytes);
}

void BM_CopyInput(benchmark::State& state) {
    Pictures& p = Shared();
    std::vector<uint8_t> out(kInputBytes);
    for (auto _ : state) {
        memcpy(out.data(), p.face.data(), p.face.size());
        memcpy(out.data() + p.face.size(), p.mask.data(), p.mask.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kInputBytes);
}

BENCHMARK(BM_CopyInput)->MinTime(0.5);
BENCHMARK(BM_Reduce)->MinTime(0.5);
BENCHMARK(BM_ReduceReference)->MinTime(0.5);

// Keeps each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour codes only on a terminal: the figures also go to logs.
    RatioReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
};

double Find(const RatioReporter& r, const char* prefix) {
    for (const auto& entry : r.nanoseconds) {
        if (entry.first.rfind(prefix, 0) == 0) {
            return entry.second;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double copy = Find(reporter, "BM_CopyInput");
    const double fast = Find(reporter, "BM_Reduce/");
    const double reference = Find(reporter, "BM_ReduceReference");
    if (copy > 0 && fast > 0 && reference > 0) {
        printf("reduction / memcpy of its %zu input bytes: %.2fx (goal: at most 3x)\n", kInputBytes,
               fast / copy);
        printf("nested-loop reference / reduction: %.2fx faster\n", reference / fast);
    }
    return 0;
}
