#include "analysis/CountingPasses.h"

#include "dictionary/Dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Walks a text token by token as if the front were cut off after each token and
// the rest trimmed, but by position, so a pass is linear in the text's length.
// onToken gets each token; onProgress the percentage of the text consumed.
template <typename OnToken, typename OnProgress>
void ForEachToken(std::string_view text, char separator, OnToken onToken, OnProgress onProgress) {
    // The percentage is (initial length - remaining length) * 100 / initial length.
    // It changes at most 100 times, so it is worked out only when the consumed
    // length reaches the next step, not with a division for every token.
    const auto initialLength = static_cast<std::int64_t>(text.size());
    int percent = 0;
    std::int64_t nextStep = (initialLength + 99) / 100;
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    while (end > pos && IsBlank(text[end - 1]))
        --end;
    // The trimmed remainder always ends at `end`: the text's last character
    // above code 32 is never consumed until the remainder is empty.
    while (pos < end) {
        const void* found = std::memchr(text.data() + pos, separator, end - pos);
        if (found == nullptr) {
            onToken(text.substr(pos, end - pos));
            pos = end;
        } else {
            const std::size_t sep = static_cast<const char*>(found) - text.data();
            onToken(text.substr(pos, sep - pos));
            pos = sep + 1;
            while (pos < end && IsBlank(text[pos]))
                ++pos;
        }
        const auto consumed = initialLength - static_cast<std::int64_t>(end - pos);
        if (consumed >= nextStep) {
            percent = static_cast<int>(consumed * 100 / initialLength);
            nextStep = ((percent + 1) * initialLength + 99) / 100;
        }
        onProgress(percent);
    }
}

} // namespace

std::int32_t CountSyllables(std::string_view wordText, TDictionary& dictionary,
                            const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                            std::int32_t& difficultWords, std::int32_t* words) {
    difficultWords = 0;
    std::int32_t tokens = 0;
    // A typed count can be as large as the type allows; the total saturates
    // rather than wrapping round to a negative number.
    std::int64_t syllables = 0;
    std::string word;
    ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            ++tokens;
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
    if (words)
        *words = tokens;
    return static_cast<std::int32_t>(syllables);
}

std::int32_t CountWords(std::string_view wordText, AnalysisProgress& progress) {
    std::int32_t words = 0;
    ForEachToken(
        wordText, ' ', [&](std::string_view) { ++words; },
        [&](int percent) { progress.SetWordProgress(percent); });
    return words;
}

std::int32_t CountSentences(std::string_view sentenceText, AnalysisProgress& progress) {
    std::int32_t sentences = 0;
    ForEachToken(
        sentenceText, '.', [&](std::string_view) { ++sentences; },
        [&](int percent) { progress.SetSentenceProgress(percent); });
    return sentences;
}
