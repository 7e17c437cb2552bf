// One full update of the output EQ display at its heaviest: ten channels, each with an
// eighth-order high-pass and low-pass and 31 enabled bands, on the 512-point grid. The
// step-by-step reference and the closed-form fast path run in the same process; the
// summary line gives their ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dsp/channel_curve.h"
#include "dsp/response_grid.h"

namespace {

using namespace dvdsp::dsp;

constexpr int kChannels = 10;
constexpr int kThirdOctave[31] = {
    20,  25,   31,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

std::vector<ChannelFilters> HeaviestUpdate() {
    std::vector<ChannelFilters> channels(kChannels);
    for (int c = 0; c < kChannels; ++c) {
        ChannelFilters& ch = channels[static_cast<size_t>(c)];
        ch.highPass = {30 + 10 * c, 1 + c % 3, 8, false};
        ch.lowPass = {6000 + 1000 * c, 1 + (c + 1) % 3, 8, false};
        for (int b = 0; b < 31; ++b) {
            const float gain = static_cast<float>((b * 7 + c) % 25 - 12) + 0.5f;  // never 0
            const float q = 0.5f + static_cast<float>((b + c) % 17) * 0.5f;
            ch.bands.push_back({gain, q, kThirdOctave[b], true});
        }
    }
    return channels;
}

void BM_TenChannels_Reference(benchmark::State& state) {
    const std::vector<ChannelFilters> channels = HeaviestUpdate();
    std::vector<ChannelCurve> curves(kChannels);
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c)
            BuildChannelCurveReference(channels[static_cast<size_t>(c)], false, CURVE_POINTS,
                                       curves[static_cast<size_t>(c)]);
        benchmark::DoNotOptimize(curves.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TenChannels_Reference)->Unit(benchmark::kMicrosecond);

void BM_TenChannels_Fast(benchmark::State& state) {
    const std::vector<ChannelFilters> channels = HeaviestUpdate();
    std::vector<ChannelCurve> curves(kChannels);
    StandardResponseGrid();  // the grid is prepared once per process
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c)
            BuildChannelCurve(channels[static_cast<size_t>(c)], false, CURVE_POINTS,
                              curves[static_cast<size_t>(c)]);
        benchmark::DoNotOptimize(curves.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TenChannels_Fast)->Unit(benchmark::kMicrosecond);

// The levels alone, without the separate crossover arrays.
void BM_TenChannels_FastLevelsOnly(benchmark::State& state) {
    const std::vector<ChannelFilters> channels = HeaviestUpdate();
    std::vector<std::vector<double>> levels(kChannels, std::vector<double>(CURVE_POINTS));
    const ResponseGrid& grid = StandardResponseGrid();
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c)
            grid.ChannelDb(channels[static_cast<size_t>(c)], false,
                           levels[static_cast<size_t>(c)].data());
        benchmark::DoNotOptimize(levels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TenChannels_FastLevelsOnly)->Unit(benchmark::kMicrosecond);

// Console output plus the real and CPU time per iteration of each benchmark (the median
// when repetitions are asked for), for the summary.
class Recorder : public benchmark::ConsoleReporter {
  public:
    struct Times {
        double real = 0.0, cpu = 0.0;  // microseconds
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const bool single = r.run_type == Run::RT_Iteration && r.iterations > 0;
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (single || median)
                times[r.run_name.function_name] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Times> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    const auto ref = recorder.times.find("BM_TenChannels_Reference");
    const auto fast = recorder.times.find("BM_TenChannels_Fast");
    if (ref != recorder.times.end() && fast != recorder.times.end() && fast->second.real > 0 &&
        fast->second.cpu > 0) {
        std::printf(
            "\nten channels, full update:\n"
            "  real time: reference %.3f ms, fast %.3f ms, %.1fx faster\n"
            "  CPU time:  reference %.3f ms, fast %.3f ms, %.1fx faster\n",
            ref->second.real / 1e3, fast->second.real / 1e3, ref->second.real / fast->second.real,
            ref->second.cpu / 1e3, fast->second.cpu / 1e3, ref->second.cpu / fast->second.cpu);
    }
    benchmark::Shutdown();
    return 0;
}
