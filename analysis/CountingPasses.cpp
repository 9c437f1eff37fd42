#include "analysis/CountingPasses.h"

#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

std::int32_t CountSyllables(std::string_view wordText, TDictionary& dictionary,
                            const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                            std::int32_t& difficultWords) {
    difficultWords = 0;
    // A typed count can be as large as the type allows; the total saturates
    // rather than wrapping round to a negative number.
    std::int64_t syllables = 0;
    std::string word;
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            std::int32_t count = dictionary.Lookup(token);
            if (count == -1) {
                word.assign(token);
                count = unknownWord ? unknownWord(word, dictionary) : 0;
            }
            syllables = std::min<std::int64_t>(syllables + count, INT32_MAX);
            if (count > 2)
                ++difficultWords;
        },
        [&](int percent) { progress.SetSyllableProgress(percent); });
    return static_cast<std::int32_t>(syllables);
}

std::int32_t CountWords(std::string_view wordText, AnalysisProgress& progress) {
    std::int32_t words = 0;
    tokens::ForEachToken(
        wordText, ' ', [&](std::string_view) { ++words; },
        [&](int percent) { progress.SetWordProgress(percent); });
    return words;
}

std::int32_t CountSentences(std::string_view sentenceText, AnalysisProgress& progress) {
    std::int32_t sentences = 0;
    tokens::ForEachToken(
        sentenceText, '.', [&](std::string_view) { ++sentences; },
        [&](int percent) { progress.SetSentenceProgress(percent); });
    return sentences;
}
