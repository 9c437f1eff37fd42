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

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

// The words of one pass, each spelling once, with what a lookup gave for it.
// Prose repeats its words, and a count once found never changes (the
// dictionary only grows, and the first insertion of a word wins), so a word
// met again is settled here without being lower-cased and searched for; what
// the further indices need of it depends on its spelling alone. A word the
// dictionary lacked is looked up again only once the dictionary has grown: an
// answer to a question may have added it. The keys are views into the pass's
// own text, which outlives the memo.
class WordMemo {
public:
    // Each distinct word off the Spache list goes to spacheUnfamiliar (when
    // given) as its index facts are first worked out.
    // Sized for the distinct words that textSize bytes of prose usually hold,
    // so that a short text clears a small table and a long one seldom grows.
    WordMemo(std::size_t textSize, SpacheUnfamiliarWords* spacheUnfamiliar)
        : entries_(std::bit_ceil(std::clamp<std::size_t>(textSize / 16, 64, 8192))),
          spacheUnfamiliar_(spacheUnfamiliar) {}

    // The word's count, or -1 when the dictionary lacks it; index (when given)
    // receives the word's index facts.
    std::int32_t Lookup(std::string_view word, const TDictionary& dictionary, IndexWord* index) {
        if (word.empty() || word.size() > UINT32_MAX) { // never a token
            if (index)
                *index = Compute(word);
            return dictionary.Lookup(word);
        }
        Key key;
        const std::size_t hash = KeyOf(word, key);
        const std::size_t mask = entries_.size() - 1;
        std::size_t at = hash & mask;
        for (; entries_[at].size != 0; at = (at + 1) & mask) {
            Entry& entry = entries_[at];
            if (entry.low != key.low || entry.high != key.high || entry.size != word.size() ||
                (word.size() > 16 && std::memcmp(entry.data, word.data(), word.size()) != 0))
                continue;
            if (entry.count < 0 && entry.dictionarySize != dictionary.Size()) {
                entry.count = dictionary.Lookup(word);
                entry.dictionarySize = dictionary.Size();
            }
            if (index)
                *index = {entry.letters, (entry.lists & kDaleChall) != 0,
                          (entry.lists & kSpache) != 0};
            return entry.count;
        }
        const std::int32_t count = dictionary.Lookup(word);
        const IndexWord facts = index ? Compute(word) : IndexWord{};
        if (index)
            *index = facts;
        entries_[at] = {key.low,
                        key.high,
                        word.data(),
                        static_cast<std::uint32_t>(word.size()),
                        count,
                        dictionary.Size(),
                        facts.letters,
                        static_cast<unsigned>((facts.daleChallFamiliar ? kDaleChall : 0u) |
                                              (facts.spacheFamiliar ? kSpache : 0u))};
        if (++used_ * 2 > entries_.size())
            Grow();
        return count;
    }

private:
    // A word of up to 16 bytes is its bytes; a longer one its first eight
    // bytes and a hash of all of them, and is compared whole.
    struct Key {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
    };

    static std::size_t KeyOf(std::string_view word, Key& key) {
        if (word.size() <= 16) {
            LoadWordBytes(word, key.low, key.high);
        } else {
            std::memcpy(&key.low, word.data(), 8);
            std::uint64_t hash = word.size() * kMultiplier;
            for (std::size_t at = 8; at < word.size(); at += 8) {
                std::uint64_t chunk = 0;
                std::memcpy(&chunk, word.data() + at, std::min<std::size_t>(8, word.size() - at));
                hash = (hash ^ chunk) * kMultiplier;
                hash ^= hash >> 29;
            }
            key.high = hash;
        }
        std::uint64_t hash = ((key.low * kMultiplier) ^ key.high ^ word.size()) * kMultiplier;
        return static_cast<std::size_t>(hash ^ (hash >> 32));
    }

    // The thread's cache of spellings answers for the words of earlier texts.
    IndexWord Compute(std::string_view word) {
        const SpeltIndexWord spelt = IndexWordOfSpelling(word);
        if (spacheUnfamiliar_ && !spelt.facts.spacheFamiliar)
            spacheUnfamiliar_->insert(spelt.lower);
        return spelt.facts;
    }

    void Grow() {
        std::vector<Entry> old(entries_.size() * 2);
        old.swap(entries_);
        const std::size_t mask = entries_.size() - 1;
        for (const Entry& entry : old) {
            if (entry.size == 0)
                continue;
            Key key;
            std::size_t at = KeyOf(std::string_view(entry.data, entry.size), key) & mask;
            while (entries_[at].size != 0)
                at = (at + 1) & mask;
            entries_[at] = entry;
        }
    }

    struct Entry {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        const char* data = nullptr;
        std::uint32_t size = 0;         // 0: an empty slot
        std::int32_t count = 0;         // -1: absent when last looked up
        std::size_t dictionarySize = 0; // the dictionary's size then
        // The index facts, when the pass counts them (it does for every word
        // or for none).
        std::int32_t letters = 0;
        unsigned lists = 0;
    };
    static constexpr unsigned kDaleChall = 1;
    static constexpr unsigned kSpache = 2;
    std::vector<Entry> entries_; // a power of two, at most half full
    std::size_t used_ = 0;
    SpacheUnfamiliarWords* spacheUnfamiliar_;
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
    WordMemo memo(wordText.size(), indexCounts ? spacheUnfamiliar : nullptr);
    IndexWord indexWord;
    IndexWord* const wantedIndex = indexCounts ? &indexWord : nullptr;
    if (indexCounts)
        *indexCounts = {};
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            ++tokens;
            std::int32_t count = memo.Lookup(token, dictionary, wantedIndex);
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
