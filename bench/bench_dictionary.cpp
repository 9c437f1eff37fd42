// Loading the generated word list: the time of one load (the goal is 25 ms or
// less) and the memory that the loaded dictionary holds (the goal is 40 MB or
// less). The file comes from the page cache, as it does at a usual start. The
// list is normally mapped from its binary index, whose pages become resident
// only as lookups touch them, so the memory is also measured after every word of
// the list has been looked up: the most a run can come to. BM_ReadWordListText
// times the text reader, which serves when the index is missing or stale.
// BM_SyllablePassOverTheGpl is the syllable pass over the GPL version 3 text
// with the list loaded: every word of real prose looked up in the whole list.
//
// bench_dictionary --benchmark_repetitions=15 --benchmark_report_aggregates_only=true

#include "analysis/AnalysisPipeline.h"
#include "dictionary/Dictionary.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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

// The load alone, as a run that looks up no word pays it, and with the first
// lookup, which checks the whole index, as every other run pays it.
void BM_LoadWordList(benchmark::State& state) {
    std::optional<TDictionary> dictionary;
    for (auto _ : state) {
        dictionary.emplace();
        if (!dictionary->LoadDictionary(kWordList)) {
            state.SkipWithError(("cannot read " + kWordList).c_str());
            return;
        }
        if (state.range(0) != 0)
            benchmark::DoNotOptimize(dictionary->Lookup("the"));
        state.PauseTiming();
        dictionary.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadWordList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The text reader alone: a dictionary that already holds a word never uses the index.
void BM_ReadWordListText(benchmark::State& state) {
    std::optional<TDictionary> dictionary;
    for (auto _ : state) {
        state.PauseTiming();
        dictionary.emplace();
        dictionary->AddWord("\x01", 0);
        state.ResumeTiming();
        dictionary->LoadDictionary(kWordList);
        state.PauseTiming();
        dictionary.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadWordListText)->Unit(benchmark::kMillisecond);

void BM_SyllablePassOverTheGpl(benchmark::State& state) {
    std::ifstream license("/usr/share/common-licenses/GPL-3");
    std::ostringstream text;
    text << license.rdbuf();
    TDictionary dictionary;
    if (!license || !dictionary.LoadDictionary(kWordList)) {
        state.SkipWithError("cannot read the GPL text or the word list");
        return;
    }
    const WorkingTexts texts = PrepareText(text.str());
    NoProgress progress;
    std::int32_t words = 0;
    for (auto _ : state) {
        std::int32_t difficult = 0;
        benchmark::DoNotOptimize(
            CountSyllables(texts.wordText, dictionary, {}, progress, difficult, &words));
    }
    state.SetItemsProcessed(state.iterations() * words);
}
BENCHMARK(BM_SyllablePassOverTheGpl)->Unit(benchmark::kMicrosecond);

std::vector<std::string> WordsOfTheList() {
    std::vector<std::string> words;
    std::ifstream list(kWordList);
    for (std::string line; std::getline(list, line);)
        words.push_back(line.substr(0, line.find('|')));
    return words;
}

} // namespace

// The memory is measured first, in the fresh process, before any load has
// grown the heap that later loads would reuse.
int main(int argc, char** argv) {
    const std::vector<std::string> words = WordsOfTheList();
    const double heapBefore = HeapInUseMB();
    const double residentBefore = ResidentMB();
    {
        TDictionary dictionary;
        if (!dictionary.LoadDictionary(kWordList)) {
            std::fprintf(stderr, "bench_dictionary: cannot read %s\n", kWordList.c_str());
            return 1;
        }
        std::printf("Loaded dictionary (%s): %zu words, heap %.1f MB, resident %.1f MB\n",
                    dictionary.UsesIndex() ? "binary index" : "text", dictionary.Size(),
                    HeapInUseMB() - heapBefore, ResidentMB() - residentBefore);
        long found = 0;
        for (const std::string& word : words)
            found += dictionary.Lookup(word) >= 0;
        std::printf("After looking up all %ld words of the list: resident %.1f MB\n", found,
                    ResidentMB() - residentBefore);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
