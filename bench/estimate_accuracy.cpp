// How well the spelling rules alone estimate syllables: every word of the word
// list (word|PRONUNCIATION|syllables) is estimated and compared with its count.
// The rules were tuned on the words at even positions; the odd ones are held out.
//
// Usage: estimate_accuracy [cuvplus.dat] [--errors even|odd]

#include "analysis/SyllableEstimate.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

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
        std::printf("%-5s %7ld words  exact %6.2f %%  within one %6.2f %%\n", name, words,
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
    long position = 0;
    std::string line;
    while (std::getline(list, line)) {
        const std::size_t first = line.find('|');
        const std::size_t last = line.rfind('|');
        if (first == std::string::npos || last + 1 >= line.size())
            continue;
        const std::string word = line.substr(0, first);
        // The list repeats words with a typographic apostrophe; a copy would
        // land in the other half and leak the tuning words into the held-out ones.
        if (!IsAscii(word))
            continue;
        const int count = std::atoi(line.c_str() + last + 1);
        const int estimate = EstimateSyllablesByRules(word);
        const bool isEven = position++ % 2 == 0;
        (isEven ? even : odd).Add(estimate, count);
        if (estimate != count && showErrors == (isEven ? "even" : "odd"))
            std::printf("%s %d %d\n", word.c_str(), count, estimate);
    }
    even.Print("even");
    odd.Print("odd");
    return 0;
}
