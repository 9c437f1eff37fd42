// The careful rules on paragraphs without letters, where every piece is a
// possible sentence end: Morse code, ". ; ", "(.) ", "://. " and emoji families
// with ". ". The time per repeat must stay flat as the paragraph grows (the
// fitted complexity is N); a rule that looks ahead from each end to the next
// letter makes it grow with the paragraph instead.
//
//   build/bin/bench_careful_rules --benchmark_filter=Morse

#include "analysis/AnalysisPipeline.h"
#include "analysis/CountingPasses.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

std::string Morse(std::int64_t repeats) {
    static const char* const kLetters[] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                           "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                           "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                           "...-", ".--",  "-..-", "-.--", "--.."};
    std::mt19937 rng(5);
    std::string text;
    for (std::int64_t i = 0; i < repeats; ++i) {
        text += kLetters[rng() % 26];
        text += rng() % 5 == 0 ? "   " : " ";
    }
    return text;
}

std::string Repeated(std::string_view piece, std::int64_t repeats) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(repeats));
    for (std::int64_t i = 0; i < repeats; ++i)
        text += piece;
    return text;
}

void Run(benchmark::State& state, const std::string& paragraph) {
    NoProgress progress;
    for (auto _ : state) {
        const WorkingTexts texts = PrepareText(std::string(paragraph), CountingRules::Careful);
        benchmark::DoNotOptimize(CountSentences(texts.sentenceText, progress));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(paragraph.size()));
}

void MorseCode(benchmark::State& state) {
    Run(state, Morse(state.range(0)));
}

void StopsAndSemicolons(benchmark::State& state) {
    Run(state, Repeated(". ; ", state.range(0)));
}

void StopsInBrackets(benchmark::State& state) {
    Run(state, Repeated("(.) ", state.range(0)));
}

void AddressPieces(benchmark::State& state) {
    Run(state, Repeated("://. ", state.range(0)));
}

void EmojiFamilies(benchmark::State& state) {
    Run(state,
        Repeated("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466. ", state.range(0)));
}

#define CAREFUL_RULES_BENCHMARK(name)                                                              \
    BENCHMARK(name)                                                                                \
        ->Arg(2500)                                                                                \
        ->Arg(5000)                                                                                \
        ->Arg(10000)                                                                               \
        ->Arg(20000)                                                                               \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Complexity(benchmark::oN)

CAREFUL_RULES_BENCHMARK(MorseCode);
CAREFUL_RULES_BENCHMARK(StopsAndSemicolons);
CAREFUL_RULES_BENCHMARK(StopsInBrackets);
CAREFUL_RULES_BENCHMARK(AddressPieces);
CAREFUL_RULES_BENCHMARK(EmojiFamilies);

} // namespace

BENCHMARK_MAIN();
