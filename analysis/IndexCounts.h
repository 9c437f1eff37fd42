#pragma once

// What the further readability indices need of the words beside their
// syllables, shared by the counting pass and the details.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

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
// a text met, so that the parts' words are counted once in the whole.
using SpacheUnfamiliarWords = std::unordered_set<std::string>;

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

// Adds one occurrence's letters and familiarity (not its syllables).
void CountWordForIndices(IndexCounts& counts, std::int32_t letters, bool daleChallFamiliar,
                         bool spacheFamiliar);

// Adds one occurrence of the word, which counted syllables.
void AddIndexWord(IndexCounts& counts, const IndexWord& word, std::int32_t syllables);

// Adds the counts of a later part of the same text.
void AddIndexCounts(IndexCounts& counts, const IndexCounts& later);
