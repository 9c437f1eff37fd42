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
//
// When the pass counts for the further indices, each spelling's occurrences
// are counted here and its facts added once per spelling at the end
// (AddIndexCounts), not at every word.
class WordMemo {
public:
    // With indices, the memo keeps each spelling's index facts, and each
    // distinct word off the Spache list goes to spacheUnfamiliar (when given)
    // as its facts are first worked out.
    // Sized for the distinct words that textSize bytes of prose usually hold,
    // so that a short text clears a small table and a long one seldom grows.
    WordMemo(std::size_t textSize, bool indices, SpacheUnfamiliarWords* spacheUnfamiliar,
             const TDictionary& dictionary)
        : entries_(std::bit_ceil(std::clamp<std::size_t>(textSize / 16, 64, 8192))),
          indices_(indices), withIndex_(indices && dictionary.UsesIndex()),
          spacheUnfamiliar_(spacheUnfamiliar) {}

    // The word's count, or -1 when the dictionary lacks it: the caller then
    // finds the count and passes it to AddUnlisted (with indices).
    std::int32_t Lookup(std::string_view word, const TDictionary& dictionary) {
        if (word.empty() || word.size() > UINT32_MAX) { // never a token
            if (indices_)
                AddFacts(unmemoized_, Compute(word, {}), 1);
            const std::int32_t count = dictionary.Lookup(word);
            if (indices_ && count >= 0)
                AddSyllables(unmemoized_, count, 1);
            return count;
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
            if (indices_) {
                ++entry.occurrences;
                entry.listedOccurrences += entry.count >= 0;
            }
            return entry.count;
        }
        TDictionary::IndexEntry indexEntry;
        const std::int32_t count =
            indices_ ? dictionary.Lookup(word, indexEntry) : dictionary.Lookup(word);
        const IndexWord facts = indices_ ? Compute(word, indexEntry) : IndexWord{};
        entries_[at] = {key.low,
                        key.high,
                        word.data(),
                        static_cast<std::uint32_t>(word.size()),
                        count,
                        dictionary.Size(),
                        1,
                        count >= 0 ? 1 : 0,
                        facts.letters,
                        static_cast<unsigned>((facts.daleChallFamiliar ? kDaleChall : 0u) |
                                              (facts.spacheFamiliar ? kSpache : 0u))};
        if (++used_ * 2 > entries_.size())
            Grow();
        return count;
    }

    // The syllables of an occurrence whose count came from elsewhere than the
    // dictionary (Lookup gave -1).
    void AddUnlisted(std::int32_t syllables) {
        if (indices_)
            AddSyllables(unmemoized_, syllables, 1);
    }

    // The index counts of the words looked up.
    void AddIndexCounts(IndexCounts& counts) const {
        counts = unmemoized_;
        for (const Entry& entry : entries_) {
            if (entry.size == 0)
                continue;
            AddFacts(counts,
                     {entry.letters, (entry.lists & kDaleChall) != 0, (entry.lists & kSpache) != 0},
                     entry.occurrences);
            AddSyllables(counts, entry.count, entry.listedOccurrences);
        }
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

    // The facts of `occurrences` words spelt alike.
    static void AddFacts(IndexCounts& counts, const IndexWord& facts, std::int32_t occurrences) {
        counts.letters += std::int64_t{facts.letters} * occurrences;
        if (facts.letters > 6)
            counts.longWords += occurrences;
        if (facts.letters <= 3)
            counts.miniWords += occurrences;
        if (!facts.daleChallFamiliar)
            counts.daleChallUnfamiliar += occurrences;
        if (!facts.spacheFamiliar)
            counts.spacheUnfamiliar += occurrences;
    }

    static void AddSyllables(IndexCounts& counts, std::int32_t syllables,
                             std::int32_t occurrences) {
        if (syllables > 2)
            counts.polysyllables += occurrences;
        if (syllables == 1)
            counts.monosyllables += occurrences;
    }

    // A word of the dictionary's index is known by its entry there; the
    // thread's cache of spellings answers for the other words of earlier texts.
    IndexWord Compute(std::string_view word, const TDictionary::IndexEntry& entry) {
        if (entry.index != 0) {
            const unsigned lists = FamiliarListsOfEntry(entry, word);
            if (spacheUnfamiliar_ && (lists & 2u) == 0)
                spacheUnfamiliar_->InsertIndexed(entry.slot);
            return {CountLetters(word), (lists & 1u) != 0, (lists & 2u) != 0};
        }
        if (withIndex_) {
            // Words beyond the index are few where there is one: worked out
            // here, they cost less than a search of a large cache.
            LowerCaseInto(word, lower_);
            const IndexWord facts = IndexWordOf(word, lower_);
            if (spacheUnfamiliar_ && !facts.spacheFamiliar)
                spacheUnfamiliar_->insert(lower_);
            return facts;
        }
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
        std::int32_t occurrences = 0;
        std::int32_t listedOccurrences = 0; // those that took the dictionary's count
        // The index facts, when the pass counts them (it does for every word
        // or for none).
        std::int32_t letters = 0;
        unsigned lists = 0;
    };
    static constexpr unsigned kDaleChall = 1;
    static constexpr unsigned kSpache = 2;
    std::vector<Entry> entries_; // a power of two, at most half full
    std::size_t used_ = 0;
    bool indices_;
    bool withIndex_; // the dictionary has an index, which holds most words
    SpacheUnfamiliarWords* spacheUnfamiliar_;
    IndexCounts unmemoized_; // words whose count the memo did not give
    std::string lower_;
};

// A digit or the first byte of a currency sign ($, £, €).
bool IsFigureStart(char c) {
    return (c >= '0' && c <= '9') || c == '$' || c == '\xC2' || c == '\xE2';
}

// Adds each word's syllables to the sentence it stands in, the words coming
// in the order of the text: the sentence's sums are kept here and written to
// it when the words move on to the next sentence, or when the pass ends.
class SentenceTallier {
public:
    explicit SentenceTallier(SentenceTally* tally) : tally_(tally) {
        if (tally_ && !tally_->sentences.empty())
            Enter(tally_->reached);
    }
    SentenceTallier(const SentenceTallier&) = delete;
    SentenceTallier& operator=(const SentenceTallier&) = delete;
    ~SentenceTallier() { Leave(); }

    // The word at offset in the text the pass walks.
    void Add(std::size_t offset, std::int32_t syllables) {
        if (!sentence_)
            return;
        offset += tally_->textOffset;
        if (offset >= end_ && tally_->reached + 1 < tally_->sentences.size()) {
            Leave();
            std::size_t next = tally_->reached + 1;
            const std::vector<TalliedSentence>& sentences = tally_->sentences;
            while (next + 1 < sentences.size() &&
                   offset >= sentences[next].offset + sentences[next].length)
                ++next;
            Enter(next);
        }
        ++words_;
        syllables_ += syllables;
        difficultWords_ += syllables > 2;
    }

private:
    void Enter(std::size_t at) {
        tally_->reached = at;
        sentence_ = &tally_->sentences[at];
        // The last sentence takes every word after it.
        end_ = at + 1 < tally_->sentences.size() ? sentence_->offset + sentence_->length
                                                 : SIZE_MAX;
    }

    void Leave() {
        if (!sentence_)
            return;
        sentence_->words += words_;
        sentence_->syllables += syllables_;
        sentence_->difficultWords += difficultWords_;
        words_ = syllables_ = difficultWords_ = 0;
    }

    SentenceTally* tally_;
    TalliedSentence* sentence_ = nullptr;
    std::size_t end_ = 0;
    std::int32_t words_ = 0;
    std::int32_t syllables_ = 0;
    std::int32_t difficultWords_ = 0;
};

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
    WordMemo memo(wordText.size(), indexCounts != nullptr, spacheUnfamiliar, dictionary);
    SentenceTallier tallier(sentenceTally);
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            ++tokens;
            std::int32_t count = memo.Lookup(token, dictionary);
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
                memo.AddUnlisted(count);
            }
            syllables = std::min<std::int64_t>(syllables + count, INT32_MAX);
            if (count > 2)
                ++difficultWords;
            tallier.Add(static_cast<std::size_t>(token.data() - wordText.data()), count);
        },
        [&](int percent) { progress.SetSyllableProgress(percent); });
    if (words)
        *words = tokens;
    if (indexCounts)
        memo.AddIndexCounts(*indexCounts);
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
