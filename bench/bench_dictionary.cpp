// Loading the generated word list: the time of one load (the goal is 60 ms or
// less) and the memory that the loaded dictionary holds (the goal is 25 MB or
// less). The file comes from the page cache, as it does at a usual start.
//
// bench_dictionary --benchmark_repetitions=15 --benchmark_report_aggregates_only=true

#include "dictionary/Dictionary.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

namespace {

const std::string kWordList = SCRIVOLUX_BIN_DIR "/cuvplus.dat";

double HeapInUseMB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

double ResidentMB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

void BM_LoadWordList(benchmark::State& state) {
    std::optional<TDictionary> dictionary;
    for (auto _ : state) {
        dictionary.emplace();
        if (!dictionary->LoadDictionary(kWordList)) {
            state.SkipWithError(("cannot read " + kWordList).c_str());
            return;
        }
        state.PauseTiming();
        dictionary.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadWordList)->Unit(benchmark::kMillisecond);

} // namespace

// The memory is measured first, in the fresh process, before any load has
// grown the heap that later loads would reuse.
int main(int argc, char** argv) {
    const double heapBefore = HeapInUseMB();
    const double residentBefore = ResidentMB();
    {
        TDictionary dictionary;
        if (!dictionary.LoadDictionary(kWordList)) {
            std::fprintf(stderr, "bench_dictionary: cannot read %s\n", kWordList.c_str());
            return 1;
        }
        std::printf("Loaded dictionary: %zu words, heap %.1f MB, resident %.1f MB\n",
                    dictionary.Size(), HeapInUseMB() - heapBefore, ResidentMB() - residentBefore);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
