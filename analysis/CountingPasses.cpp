#include "analysis/CountingPasses.h"

#include "analysis/IndexCounts.h"
#include "analysis/SyllableEstimate.h"
#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kRecentBits = 12;
constexpr std::size_t kRecentLongest = 15; // the length takes the last byte

// Where a word of 1 to kRecentLongest bytes lives in the table of the words met
// lately, and the two integers that identify it there.
std::size_t RecentSlot(std::string_view word, std::uint64_t& low, std::uint64_t& high) {
    LoadWordBytes(word, low, high);
    high |= std::uint64_t{word.size()} << 56; // never 0, unlike an unused entry
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const std::uint64_t hash = ((low * kMultiplier) ^ high) * kMultiplier;
    return static_cast<std::size_t>(hash >> (64 - kRecentBits));
}

// The counts of the words met lately, by their spelling in the text. Prose
// repeats its common words, and a count once found never changes (the
// dictionary only grows, and the first insertion of a word wins), so most
// words are settled here without being lower-cased and searched for. When the
// further indices are counted too, what they need of a word depends on its
// spelling alone and is kept here as well, for words the dictionary lacks too.
class RecentWords {
public:
    // Each distinct word off the Spache list goes to spacheUnfamiliar (when
    // given) as its index facts are first worked out.
    explicit RecentWords(SpacheUnfamiliarWords* spacheUnfamiliar)
        : entries_(std::size_t{1} << kRecentBits), spacheUnfamiliar_(spacheUnfamiliar) {}

    // The word's count, or -1 when the dictionary lacks it; index (when given)
    // receives the word's index facts.
    std::int32_t Lookup(std::string_view word, const TDictionary& dictionary, IndexWord* index) {
        if (word.empty() || word.size() > kRecentLongest) {
            if (index)
                *index = Compute(word);
            return dictionary.Lookup(word);
        }
        std::uint64_t low;
        std::uint64_t high;
        Entry& entry = entries_[RecentSlot(word, low, high)];
        if (entry.low == low && entry.high == high) {
            // A word that was absent may have been added since.
            if (entry.count < 0)
                entry.count = dictionary.Lookup(word);
            if (index)
                *index = entry.index;
            return entry.count;
        }
        const std::int32_t count = dictionary.Lookup(word);
        if (count >= 0 || index)
            entry = {low, high, count, index ? Compute(word) : IndexWord{}};
        if (index)
            *index = entry.index;
        return count;
    }

private:
    IndexWord Compute(std::string_view word) {
        LowerCaseInto(word, lower_);
        const IndexWord index = IndexWordOf(word, lower_);
        if (spacheUnfamiliar_ && !index.spacheFamiliar)
            spacheUnfamiliar_->insert(lower_);
        return index;
    }

    struct Entry {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::int32_t count = 0; // -1: absent when last looked up
        IndexWord index;
    };
    std::vector<Entry> entries_;
    SpacheUnfamiliarWords* spacheUnfamiliar_;
    std::string lower_;
};

// A digit or the first byte of a currency sign ($, £, €).
bool IsFigureStart(char c) {
    return (c >= '0' && c <= '9') || c == '$' || c == '\xC2' || c == '\xE2';
}

void TallyWord(SentenceTally& tally, std::size_t offset, std::int32_t syllables) {
    std::vector<TalliedSentence>& sentences = tally.sentences;
    if (sentences.empty())
        return;
    offset += tally.textOffset;
    while (tally.reached + 1 < sentences.size() &&
           offset >= sentences[tally.reached].offset + sentences[tally.reached].length)
        ++tally.reached;
    TalliedSentence& sentence = sentences[tally.reached];
    ++sentence.words;
    sentence.syllables += syllables;
    if (syllables > 2)
        ++sentence.difficultWords;
}

} // namespace

std::int32_t CountSyllables(std::string_view wordText, TDictionary& dictionary,
                            const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                            std::int32_t& difficultWords, std::int32_t* words,
                            IndexCounts* indexCounts, SpacheUnfamiliarWords* spacheUnfamiliar,
                            SentenceTally* sentenceTally) {
    difficultWords = 0;
    std::int32_t tokens = 0;
    // A typed count can be as large as the type allows; the total saturates
    // rather than wrapping round to a negative number.
    std::int64_t syllables = 0;
    std::string word;
    RecentWords recent(indexCounts ? spacheUnfamiliar : nullptr);
    IndexWord indexWord;
    IndexWord* const wantedIndex = indexCounts ? &indexWord : nullptr;
    if (indexCounts)
        *indexCounts = {};
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            ++tokens;
            std::int32_t count = recent.Lookup(token, dictionary, wantedIndex);
            if (count == -1) {
                // A figure (careful rules only) is said, never asked about.
                const auto spoken =
                    IsFigureStart(token.front()) ? SpokenFigureSyllables(token) : std::nullopt;
                if (spoken) {
                    count = *spoken;
                } else {
                    word.assign(token);
                    count = unknownWord ? unknownWord(word, dictionary) : 0;
                }
            }
            syllables = std::min<std::int64_t>(syllables + count, INT32_MAX);
            if (count > 2)
                ++difficultWords;
            if (indexCounts)
                AddIndexWord(*indexCounts, indexWord, count);
            if (sentenceTally)
                TallyWord(*sentenceTally, static_cast<std::size_t>(token.data() - wordText.data()),
                          count);
        },
        [&](int percent) { progress.SetSyllableProgress(percent); });
    if (words)
        *words = tokens;
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
