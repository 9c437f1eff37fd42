#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

// Pronounceable made-up words of one to four syllables, the same ones on every
// run, so that a benchmark's dictionary has the size of the real one.
inline std::vector<std::string> MadeUpWords(std::size_t count) {
    std::mt19937 rng(42);
    const std::string consonants = "bcdfghjklmnprstvwz";
    const std::string vowels = "aeiou";
    std::vector<std::string> words;
    words.reserve(count);
    while (words.size() < count) {
        std::string w;
        const int syllables = 1 + static_cast<int>(rng() % 4);
        for (int s = 0; s < syllables; ++s) {
            w += consonants[rng() % consonants.size()];
            w += vowels[rng() % vowels.size()];
            if (rng() % 2)
                w += consonants[rng() % consonants.size()];
        }
        words.push_back(std::move(w));
    }
    return words;
}
