#pragma once

// What the further readability indices need of the words beside their
// syllables, shared by the counting pass and the details.

#include "dictionary/Dictionary.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The counts behind the further indices, beside the four of the report.
struct IndexCounts {
    std::int64_t letters = 0;
    std::int32_t longWords = 0;           // more than six letters
    std::int32_t polysyllables = 0;       // three or more syllables (the difficult words)
    std::int32_t monosyllables = 0;       // exactly one syllable
    std::int32_t miniWords = 0;           // at most three letters
    std::int32_t daleChallUnfamiliar = 0; // occurrences of words off the Dale-Chall list
    std::int32_t spacheUnfamiliar = 0;    // and off the Spache list
    // The distinct words off the Spache list, which its formula counts; set by
    // whoever counts the whole text (from SpacheUnfamiliarWords), never added.
    std::int32_t spacheUnfamiliarUnique = 0;
};

// The distinct lower-cased words off the Spache list that a pass over part of
// a text met, so that the parts' words are counted once in the whole. A pass
// inserts one word per distinct spelling; the words live in one block of
// bytes and the set is one table, with no allocation per word. A word of the
// word list's index goes in as its index slot instead, which is cheaper and
// names the same lower-cased word whatever its spelling: a word is in the
// index or not for the whole run, so it is never in the set both ways. The
// parts of one text share one dictionary, and so one index.
class SpacheUnfamiliarWords {
public:
    SpacheUnfamiliarWords() = default;
    SpacheUnfamiliarWords(std::initializer_list<std::string_view> words);

    // Whether the word was new.
    bool insert(std::string_view word);
    // The word in the index's slot; whether it was new.
    bool InsertIndexed(std::size_t slot);
    bool contains(std::string_view word) const;
    std::size_t size() const { return size_ + indexedSize_; }
    bool empty() const { return size() == 0; }
    void swap(SpacheUnfamiliarWords& other) noexcept;

    // Calls visit with each word, in no particular order.
    template <typename Visit> void ForEach(Visit visit) const {
        for (const Slot& slot : slots_) {
            if (slot.used)
                visit(std::string_view(bytes_).substr(slot.offset, slot.size));
        }
    }

    friend bool operator==(const SpacheUnfamiliarWords& a, const SpacheUnfamiliarWords& b);
    friend void MergeSpacheUnfamiliar(SpacheUnfamiliarWords& words, SpacheUnfamiliarWords&& later);

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t offset = 0;
        std::size_t size = 0;
        bool used = false;
    };
    std::size_t Find(std::string_view word, std::uint64_t hash) const;
    // Where the slot stands in indexed_, or the empty place it would take.
    std::size_t FindIndexed(std::size_t slot) const;
    void Grow();

    std::vector<Slot> slots_; // a power of two, at most half full
    std::string bytes_;
    std::size_t size_ = 0;
    // The index slots, each plus one (0: an empty place), in a table of their
    // own: a power of two, at most half full.
    std::vector<std::size_t> indexed_;
    std::size_t indexedSize_ = 0;
};

// Adds a later part's words to the words so far.
void MergeSpacheUnfamiliar(SpacheUnfamiliarWords& words, SpacheUnfamiliarWords&& later);

// Letters in a word: code points that Unicode classes as letters.
std::int32_t CountLetters(std::string_view word);

// What the further indices need of one word besides its syllables.
struct IndexWord {
    std::int32_t letters = 0;
    bool daleChallFamiliar = false;
    bool spacheFamiliar = false;
};

// The word as spelt in the text, and lower-cased.
IndexWord IndexWordOf(std::string_view word, std::string_view lowerWord);

// A word's index facts and its lower-cased spelling, which the Spache set takes.
struct SpeltIndexWord {
    IndexWord facts;
    std::string_view lower; // valid until the next call on the same thread
};

// IndexWordOf the word and its lower-cased spelling, remembered by each thread
// across texts: the facts depend on the spelling alone, and a run's texts share
// most of their words. The empty word gives no letters and neither list.
SpeltIndexWord IndexWordOfSpelling(std::string_view word);

// The familiar lists (as FamiliarListsOf) of the word that the dictionary's
// index holds in the entry: each thread works them out once per entry of an
// index, so that the words of a run's texts cost one look-up in a small
// table. word is the word as spelt in the text.
unsigned FamiliarListsOfEntry(const TDictionary::IndexEntry& entry, std::string_view word);

// How many spellings a thread remembers before it starts again.
inline constexpr std::size_t kRememberedSpellings = 32768;

// Adds the letters and familiarity (not the syllables) of `occurrences` words
// spelt alike.
void AddIndexFacts(IndexCounts& counts, const IndexWord& word, std::int32_t occurrences = 1);

// Adds `occurrences` words that counted these syllables.
void AddIndexSyllables(IndexCounts& counts, std::int32_t syllables, std::int32_t occurrences = 1);

// Adds one occurrence of the word, which counted syllables.
inline void AddIndexWord(IndexCounts& counts, const IndexWord& word, std::int32_t syllables) {
    AddIndexSyllables(counts, syllables);
    AddIndexFacts(counts, word);
}

// Adds the counts of a later part of the same text.
void AddIndexCounts(IndexCounts& counts, const IndexCounts& later);
