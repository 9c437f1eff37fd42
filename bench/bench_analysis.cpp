// Throughput of text preparation and the three counting passes over generated
// English-like text of 1 to 8 MB. Time per byte must stay flat as the text grows.
//
//   build/bin/bench_analysis --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "analysis/CountingPasses.h"
#include "analysis/TextPreparation.h"
#include "dictionary/Dictionary.h"

#include "MadeUpWords.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDictionaryWords = 125000;

const std::vector<std::string>& Words() {
    static const std::vector<std::string> words = MadeUpWords(kDictionaryWords);
    return words;
}

// Sentences of 5 to 25 words with the odd comma, capital and number.
std::string MakePassage(std::size_t bytes) {
    std::mt19937 rng(7);
    std::string text;
    text.reserve(bytes + 64);
    int inSentence = 0;
    int sentenceLength = 12;
    while (text.size() < bytes) {
        std::string w = Words()[rng() % 2000]; // common words come round often, as in prose
        if (inSentence == 0)
            w[0] = static_cast<char>(w[0] - 'a' + 'A');
        text += w;
        if (++inSentence == sentenceLength) {
            text += rng() % 5 == 0 ? "? " : ". ";
            inSentence = 0;
            sentenceLength = 5 + static_cast<int>(rng() % 21);
        } else {
            text += rng() % 9 == 0 ? ", " : " ";
        }
        if (rng() % 200 == 0)
            text += "(1984) ";
    }
    return text;
}

void PrepareAndCount(benchmark::State& state) {
    const std::string passage = MakePassage(static_cast<std::size_t>(state.range(0)) << 20);
    NoProgress progress;
    for (auto _ : state) {
        const WorkingTexts texts = PrepareTexts(passage);
        benchmark::DoNotOptimize(CountWords(texts.wordText, progress));
        benchmark::DoNotOptimize(CountSentences(texts.sentenceText, progress));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(passage.size()));
}

void CountSyllablesWithDictionary(benchmark::State& state) {
    TDictionary dictionary;
    int n = 0;
    for (const auto& w : Words())
        dictionary.AddWord(w, 1 + n++ % 4);
    const WorkingTexts texts =
        PrepareTexts(MakePassage(static_cast<std::size_t>(state.range(0)) << 20));
    NoProgress progress;
    const UnknownWordHandler zero = [](const std::string&, TDictionary&) { return 0; };
    for (auto _ : state) {
        std::int32_t difficult = 0;
        benchmark::DoNotOptimize(
            CountSyllables(texts.wordText, dictionary, zero, progress, difficult));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(texts.wordText.size()));
}

} // namespace

BENCHMARK(PrepareAndCount)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(CountSyllablesWithDictionary)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
