#include "analysis/CountingPasses.h"

#include "analysis/IndexCounts.h"
#include "analysis/SyllableEstimate.h"
#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
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
    // so that a short text probes a small table and a long one seldom grows.
    // The table lies in a block that the thread keeps from one pass to the
    // next, its entries marked with the pass that wrote them: a pass starts
    // with an empty table without clearing one.
    WordMemo(std::size_t textSize, bool indices, SpacheUnfamiliarWords* spacheUnfamiliar,
             const TDictionary& dictionary)
        : indices_(indices), index_(dictionary.IndexInUse()),
          withIndex_(indices && index_.index != 0), spacheUnfamiliar_(spacheUnfamiliar) {
        Block& threadBlock = ThreadBlock();
        // A pass that a question's answer starts inside another on the same
        // thread takes a block of its own.
        if (threadBlock.inUse) {
            ownBlock_ = std::make_unique<Block>();
            block_ = ownBlock_.get();
        } else {
            block_ = &threadBlock;
        }
        block_->inUse = true;
        Empty(std::bit_ceil(std::clamp<std::size_t>(textSize / 16, 64, 8192)));
        if (index_.index != 0)
            indexedWords_ = &RecentIndexedWords();
    }
    WordMemo(const WordMemo&) = delete;
    WordMemo& operator=(const WordMemo&) = delete;
    ~WordMemo() {
        // A long text's table is not kept for the thread's life.
        if (block_->entries.size() > kKeptEntries)
            std::vector<Entry>().swap(block_->entries);
        block_->inUse = false;
    }

    // The word's count, or -1 when the dictionary lacks it: the caller then
    // finds the count and passes it to AddUnlisted (with indices).
    std::int32_t Lookup(std::string_view word, const TDictionary& dictionary) {
        if (word.empty() || word.size() > UINT32_MAX) { // never a token
            if (indices_)
                AddIndexFacts(unmemoized_, Compute(word, {}));
            const std::int32_t count = dictionary.Lookup(word);
            if (indices_ && count >= 0)
                AddIndexSyllables(unmemoized_, count);
            return count;
        }
        Key key;
        const std::size_t hash = KeyOf(word, key);
        Entry* const entries = block_->entries.data();
        const std::size_t mask = size_ - 1;
        std::size_t at = hash & mask;
        for (; entries[at].pass == pass_; at = (at + 1) & mask) {
            Entry& entry = entries[at];
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
        IndexedWord* recent = nullptr;
        const std::int32_t count = LookupIndexed(word, key, hash, dictionary, indexEntry, recent);
        const IndexWord facts = indices_ ? Compute(word, indexEntry, recent) : IndexWord{};
        entries[at] = {key.low,
                       key.high,
                       word.data(),
                       static_cast<std::uint32_t>(word.size()),
                       pass_,
                       count,
                       1,
                       dictionary.Size(),
                       count >= 0 ? 1 : 0,
                       facts.letters,
                       static_cast<unsigned>((facts.daleChallFamiliar ? kDaleChall : 0u) |
                                             (facts.spacheFamiliar ? kSpache : 0u))};
        if (++used_ * 2 > size_)
            Grow();
        return count;
    }

    // The syllables of an occurrence whose count came from elsewhere than the
    // dictionary (Lookup gave -1).
    void AddUnlisted(std::int32_t syllables) {
        if (indices_)
            AddIndexSyllables(unmemoized_, syllables);
    }

    // The index counts of the words looked up.
    void AddIndexCounts(IndexCounts& counts) const {
        counts = unmemoized_;
        for (std::size_t at = 0; at < size_; ++at) {
            const Entry& entry = block_->entries[at];
            if (entry.pass != pass_)
                continue;
            AddIndexFacts(
                counts,
                {entry.letters, (entry.lists & kDaleChall) != 0, (entry.lists & kSpache) != 0},
                entry.occurrences);
            AddIndexSyllables(counts, entry.count, entry.listedOccurrences);
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

    // A word of the index as a thread last found it, spelt as in the text.
    struct IndexedWord {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::uint64_t index = 0; // the index's serial; 0: an empty place
        std::uint32_t size = 0;
        std::int32_t count = 0;
        std::uint32_t slot = 0;
        // The word's familiar lists with kListsKnown once worked out; else 0.
        unsigned lists = 0;
    };
    static constexpr unsigned kListsKnown = 0x80;
    static constexpr std::size_t kRecentIndexedWords = 8192;

    // The thread's words of the index from earlier texts, by their spelling's
    // hash, a newer word in the place of an older: most of a text's distinct
    // words are the common words of every text. A word of the index keeps its
    // count and entry for the index's life, and another index has another
    // serial, so a word found here is the dictionary's answer.
    static std::vector<IndexedWord>& RecentIndexedWords() {
        thread_local std::vector<IndexedWord> words(kRecentIndexedWords);
        return words;
    }

    // The dictionary's count of a word met first in this text, and its entry;
    // recent receives the word's place among the thread's recent words when it
    // has one.
    std::int32_t LookupIndexed(std::string_view word, const Key& key, std::size_t hash,
                               const TDictionary& dictionary, TDictionary::IndexEntry& entry,
                               IndexedWord*& recent) {
        recent = nullptr;
        if (!indexedWords_ || word.size() > 16) {
            entry = {};
            return index_.index != 0 ? dictionary.Lookup(word, entry) : dictionary.Lookup(word);
        }
        IndexedWord& place = (*indexedWords_)[(hash >> 20) & (kRecentIndexedWords - 1)];
        if (place.index == index_.index && place.low == key.low && place.high == key.high &&
            place.size == word.size()) {
            entry = {place.index, place.slot, index_.slotCount};
            recent = &place;
            return place.count;
        }
        const std::int32_t count = dictionary.Lookup(word, entry);
        if (entry.index != 0 && entry.slot <= UINT32_MAX) {
            place = {key.low,
                     key.high,
                     entry.index,
                     static_cast<std::uint32_t>(word.size()),
                     count,
                     static_cast<std::uint32_t>(entry.slot),
                     0};
            recent = &place;
        }
        return count;
    }

    // A word of the dictionary's index is known by its entry there; the
    // thread's cache of spellings answers for the other words of earlier texts.
    IndexWord Compute(std::string_view word, const TDictionary::IndexEntry& entry,
                      IndexedWord* recent = nullptr) {
        if (entry.index != 0) {
            unsigned lists = 0;
            if (recent && recent->lists != 0) {
                lists = recent->lists & ~kListsKnown;
            } else {
                lists = FamiliarListsOfEntry(entry, word);
                if (recent)
                    recent->lists = lists | kListsKnown;
            }
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

    // Starts an empty table of size entries, a power of two.
    void Empty(std::size_t size) {
        std::vector<Entry>& entries = block_->entries;
        if (entries.size() < size)
            entries.resize(size);
        if (++block_->lastPass == 0) { // after 2^32 passes: marks would repeat
            for (Entry& entry : entries)
                entry.pass = 0;
            block_->lastPass = 1;
        }
        pass_ = block_->lastPass;
        size_ = size;
        used_ = 0;
    }

    void Grow() {
        std::vector<Entry> kept;
        kept.reserve(used_);
        for (std::size_t at = 0; at < size_; ++at) {
            if (block_->entries[at].pass == pass_)
                kept.push_back(block_->entries[at]);
        }
        Empty(size_ * 2);
        used_ = kept.size();
        const std::size_t mask = size_ - 1;
        for (Entry& entry : kept) {
            Key key;
            std::size_t at = KeyOf(std::string_view(entry.data, entry.size), key) & mask;
            while (block_->entries[at].pass == pass_)
                at = (at + 1) & mask;
            entry.pass = pass_;
            block_->entries[at] = entry;
        }
    }

    struct Entry {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        const char* data = nullptr;
        std::uint32_t size = 0;
        std::uint32_t pass = 0; // the pass that wrote it; an empty place for any other
        std::int32_t count = 0; // -1: absent when last looked up
        std::int32_t occurrences = 0;
        std::size_t dictionarySize = 0;     // the dictionary's size then
        std::int32_t listedOccurrences = 0; // those that took the dictionary's count
        // The index facts, when the pass counts them (it does for every word
        // or for none).
        std::int32_t letters = 0;
        unsigned lists = 0;
    };
    static_assert(sizeof(Entry) == 64);
    // The largest table a thread keeps after its pass: 1 MB.
    static constexpr std::size_t kKeptEntries = 16384;

    // A thread's table, kept from one pass to the next.
    struct Block {
        std::vector<Entry> entries;
        std::uint32_t lastPass = 0;
        bool inUse = false;
    };
    static Block& ThreadBlock() {
        thread_local Block block;
        return block;
    }

    static constexpr unsigned kDaleChall = 1;
    static constexpr unsigned kSpache = 2;
    Block* block_;
    std::unique_ptr<Block> ownBlock_;
    std::uint32_t pass_ = 0;
    std::size_t size_ = 0; // of the table in the block: a power of two, at most half full
    std::size_t used_ = 0;
    bool indices_;
    TDictionary::IndexEntry index_; // the dictionary's index, if any
    bool withIndex_;                // with indices, and the dictionary has an index
    std::vector<IndexedWord>* indexedWords_ = nullptr;
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
        end_ = at + 1 < tally_->sentences.size() ? sentence_->offset + sentence_->length : SIZE_MAX;
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
