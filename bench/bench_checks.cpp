// The writing checks against the careful analysis they follow, on the same
// 3.5 MB of English-like text: the checks must cost at most 0.3 times the
// analysis. The analysis here is what the command line runs on one thread
// (the careful working texts and the three passes); the details are the
// words and sentences the checks read, which the desktop program builds
// for its Details window anyway.
//
// The text is generated English-like prose (made-up words, with the phrases
// the checks look for and words that start phrases without ending one), or a
// real text repeated to the size, counted with the generated word list:
//
//   build/bin/bench_checks --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   SCRIVOLUX_BENCH_TEXT=/usr/share/common-licenses/GPL-3 build/bin/bench_checks

#include "analysis/AnalysisPipeline.h"
#include "analysis/PassageDetails.h"
#include "checks/Checks.h"
#include "dictionary/Dictionary.h"

#include "MadeUpWords.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 3584 * 1024;

// What the checks look for, and words that start phrases without ending one.
const std::vector<std::string> kPhrases = {
    "the ball was thrown",
    "it was really",
    "in order to",
    "last but not least",
    "the the",
    "we utilize",
    "very",
    "perhaps",
    "it is painted",
    "in the",
    "a number of",
    "at the present time",
    "all of them",
    "by the way",
    "was",
    "is not used",
    "anyway",
    "huge",
    "the",
    "of",
};

struct Corpus {
    Corpus();
    TDictionary dictionary;
    std::string text;
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

// A real text (SCRIVOLUX_BENCH_TEXT) repeated to the size, counted with the
// generated word list.
bool ReadRealText(Corpus& c) {
    const char* path = std::getenv("SCRIVOLUX_BENCH_TEXT");
    if (path == nullptr || *path == '\0')
        return false;
    std::ifstream in(path, std::ios::binary);
    const std::string once{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (once.empty() || !c.dictionary.LoadDictionary(SCRIVOLUX_BIN_DIR "/cuvplus.dat")) {
        std::fprintf(stderr, "bench_checks: cannot read %s or the word list\n", path);
        std::exit(2);
    }
    while (c.text.size() < kTextBytes)
        c.text += once + "\n\n";
    return true;
}

Corpus::Corpus() {
    Corpus& c = *this;
    if (ReadRealText(c))
        return;
    const std::vector<std::string> words = MadeUpWords(125000);
    // Syllables as English spreads them: most words have one, few have three.
    constexpr std::int32_t kSyllables[] = {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 3};
    std::size_t n = 0;
    for (const auto& w : words)
        c.dictionary.AddWord(w, kSyllables[n++ % std::size(kSyllables)]);
    for (const auto& phrase : kPhrases) {
        std::size_t start = 0;
        while (start < phrase.size()) {
            const std::size_t end = std::min(phrase.find(' ', start), phrase.size());
            c.dictionary.AddWord(phrase.substr(start, end - start), 1);
            start = end + 1;
        }
    }
    // Sentences of 5 to 25 words, a line break now and then, a paragraph
    // break less often, and one phrase from the list in fifteen words.
    std::mt19937 rng(7);
    int inSentence = 0;
    int sentenceLength = 12;
    while (c.text.size() < kTextBytes) {
        std::string w = rng() % 15 == 0 ? kPhrases[rng() % kPhrases.size()] : words[rng() % 2000];
        if (inSentence == 0)
            w[0] = static_cast<char>(w[0] - 'a' + 'A');
        c.text += w;
        if (++inSentence >= sentenceLength) {
            c.text += rng() % 5 == 0 ? "?" : ".";
            c.text += rng() % 8 == 0 ? "\n\n" : rng() % 3 == 0 ? "\n" : " ";
            inSentence = 0;
            sentenceLength = 5 + static_cast<int>(rng() % 21);
        } else {
            c.text += rng() % 9 == 0 ? ", " : " ";
        }
    }
}

const UnknownWordHandler kZero = [](const std::string&, TDictionary&) { return 0; };

void CarefulAnalysis(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    TDictionary& dictionary = corpus.dictionary;
    NoProgress progress;
    for (auto _ : state) {
        const WorkingTexts texts = PrepareText(std::string(corpus.text), CountingRules::Careful);
        benchmark::DoNotOptimize(CountTexts(texts, dictionary, kZero, progress));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(corpus.text.size()));
}

struct Analysed {
    WorkingTexts texts;
    PassageDetails details;
};

const Analysed& TheAnalysis() {
    static const Analysed analysed = [] {
        Analysed a;
        a.texts = PrepareText(std::string(TheCorpus().text), CountingRules::Careful);
        a.details = BuildPassageDetails(a.texts, TheCorpus().dictionary, UnknownWordLog{});
        return a;
    }();
    return analysed;
}

void PassageDetailsOfTheAnalysis(benchmark::State& state) {
    const Analysed& analysed = TheAnalysis();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            BuildPassageDetails(analysed.texts, TheCorpus().dictionary, UnknownWordLog{}));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(TheCorpus().text.size()));
}

void AllChecks(benchmark::State& state) {
    const Analysed& analysed = TheAnalysis();
    std::vector<Finding> found;
    for (auto _ : state) {
        found = RunChecks(analysed.texts.passage, analysed.details);
        benchmark::DoNotOptimize(found.data());
    }
    // How often the text trips a check, so that the cost can be read against it.
    const auto words = static_cast<double>(analysed.details.occurrences.size());
    const auto sentences = static_cast<double>(analysed.details.sentences.size());
    const auto hard = std::count_if(found.begin(), found.end(), [](const Finding& f) {
        return f.rule == CheckRule::HardSentence || f.rule == CheckRule::VeryHardSentence;
    });
    state.counters["hard_sentences_%"] = 100.0 * static_cast<double>(hard) / sentences;
    state.counters["word_findings_per_1000_words"] =
        1000.0 * static_cast<double>(found.size() - static_cast<std::size_t>(hard)) / words;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(TheCorpus().text.size()));
}

} // namespace

BENCHMARK(CarefulAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(PassageDetailsOfTheAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(AllChecks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
