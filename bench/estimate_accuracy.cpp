// How well the syllable estimate does on words it has never seen. Only the
// words with a CMU pronunciation count: the list's other words carry counts
// that were themselves estimated, and scoring the estimator against them would
// score it against itself. The CMU words alternate between two halves; the
// spelling rules were tuned on the even half, so the odd half is held out. For
// the whole estimate (a known stem, else the rules) the dictionary holds only
// the even half, so no held-out word can find itself or learn from its half.
//
// Usage: estimate_accuracy [cuvplus.dat] [--errors even|odd]

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct Tally {
    long words = 0;
    long exact = 0;
    long withinOne = 0;

    void Add(int estimate, int count) {
        ++words;
        exact += estimate == count;
        withinOne += std::abs(estimate - count) <= 1;
    }
    void Print(const char* name) const {
        std::printf("%-34s %7ld words  exact %6.2f %%  within one %6.2f %%\n", name, words,
                    100.0 * exact / words, 100.0 * withinOne / words);
    }
};

bool IsAscii(std::string_view word) {
    for (const char c : word) {
        if (static_cast<unsigned char>(c) >= 128)
            return false;
    }
    return true;
}

// The list marks a count it estimated in place of the pronunciation.
constexpr std::string_view kEstimatedMark = "ESTIMATED";

} // namespace

int main(int argc, char** argv) {
    std::string path = SCRIVOLUX_BIN_DIR "/cuvplus.dat";
    std::string showErrors;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--errors" && i + 1 < argc)
            showErrors = argv[++i];
        else
            path = arg;
    }
    std::ifstream list(path);
    if (!list) {
        std::cerr << "estimate_accuracy: cannot read " << path << '\n';
        return 1;
    }

    Tally even;
    Tally odd;
    TDictionary evenHalf;
    std::vector<std::pair<std::string, int>> heldOut;
    long position = 0;
    long estimatedLines = 0;
    std::string line;
    while (std::getline(list, line)) {
        const std::size_t first = line.find('|');
        const std::size_t last = line.rfind('|');
        if (first == std::string::npos || last + 1 >= line.size() || last == first)
            continue;
        const std::string word = line.substr(0, first);
        if (std::string_view(line).substr(first + 1, last - first - 1) == kEstimatedMark) {
            ++estimatedLines;
            continue;
        }
        // The list repeats words with a typographic apostrophe; a copy would
        // land in the other half and leak the tuning words into the held-out ones.
        if (!IsAscii(word))
            continue;
        const int count = std::atoi(line.c_str() + last + 1);
        const int estimate = EstimateSyllablesByRules(word);
        const bool isEven = position++ % 2 == 0;
        (isEven ? even : odd).Add(estimate, count);
        if (isEven)
            evenHalf.AddWord(word, count);
        else
            heldOut.emplace_back(word, count);
        if (estimate != count && showErrors == (isEven ? "even" : "odd"))
            std::printf("%s %d %d\n", word.c_str(), count, estimate);
    }
    if (position == 0) {
        std::cerr << "estimate_accuracy: no CMU words in " << path << '\n';
        return 1;
    }

    Tally whole;
    for (const auto& [word, count] : heldOut)
        whole.Add(EstimateSyllables(word, evenHalf), count);

    std::printf("CMU words (%ld estimated lines of the list left out)\n", estimatedLines);
    even.Print("spelling rules, even (tuning) half");
    odd.Print("spelling rules, odd (held-out) half");
    whole.Print("stem or rules, odd half");
    return 0;
}
