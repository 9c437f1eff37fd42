#pragma once

#include "checks/CheckRules.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The vendored word lists (checks/wordlists/), read once into numbered words
// and phrases, so that the pass over a text compares numbers, not strings.
class CheckLists {
public:
    static constexpr std::uint32_t kNoWord = UINT32_MAX;

    // What a listed word may be, besides the first word of phrases.
    enum WordFlag : std::uint8_t {
        FormOfBe = 1,        // am, is, are, was, were, be, been, being
        Participle = 2,      // an irregular past participle
        NotParticiple = 4,   // ends in -ed but is no participle ("need", "sacred")
        MayStandBetween = 8, // an adverb that may stand between "be" and a participle
    };

    struct Phrase {
        std::vector<std::uint32_t> words;
        CheckRule rule = CheckRule::Wordy;
        std::string_view suggestion; // "" for none
    };

    // The lists, read on first use (safe from several threads).
    static const CheckLists& Get();

    // The number of a lower-cased word (a typographic apostrophe counts as ');
    // kNoWord for a word on no list and for "".
    std::uint32_t WordNumber(std::string_view lowerWord) const;

    std::uint8_t Flags(std::uint32_t word) const { return flags_[word]; }

    static constexpr std::uint32_t kNoPhrase = UINT32_MAX;

    // The phrases of several words that start with these two, longest first
    // and, among phrases of one length, in the order cliche, wordy, adverb,
    // weasel, hedge, filler; empty for none.
    std::span<const std::uint32_t> PhrasesFrom(std::uint32_t first, std::uint32_t second) const {
        const std::uint32_t bit = PairBit(first, second);
        if ((pairFilter_[bit / 64] & (std::uint64_t{1} << (bit % 64))) == 0)
            return {};
        const std::vector<std::uint32_t>& seconds = longSeconds_[first];
        const auto [begin, end] = std::equal_range(seconds.begin(), seconds.end(), second);
        return std::span<const std::uint32_t>(longPhrasesFrom_[first])
            .subspan(static_cast<std::size_t>(begin - seconds.begin()),
                     static_cast<std::size_t>(end - begin));
    }

    // Whether a phrase (of one word or several) starts with the word.
    bool StartsPhrases(std::uint32_t word) const {
        return wordPhrase_[word] != kNoPhrase || !longSeconds_[word].empty();
    }

    // The phrase of the word alone (the first in that order); kNoPhrase for none.
    std::uint32_t WordPhrase(std::uint32_t word) const { return wordPhrase_[word]; }
    const Phrase& PhraseAt(std::uint32_t phrase) const { return phrases_[phrase]; }

    // The simpler alternative to a single word on the plain-language list; ""
    // for none.
    std::string_view SimplerWord(std::uint32_t word) const { return simpler_[word]; }

private:
    CheckLists();
    std::uint32_t Number(std::string_view word);
    static std::uint32_t PairBit(std::uint32_t first, std::uint32_t second) {
        return ((first * 0x9E3779B1u) ^ (second * 0x85EBCA77u)) >> (32 - kPairFilterBits);
    }
    void AddPhrases(const char* list, CheckRule rule);
    void AddPhrase(std::string_view entry, std::string_view suggestion, CheckRule rule);
    void AddWords(const char* list, WordFlag flag);
    void AddPlainLanguage(const char* list);

    std::unordered_map<std::string, std::uint32_t> numbers_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::string_view> simpler_;
    // Per first word, its phrases of several words in the order of the second
    // word, then as PhrasesFrom gives them.
    std::vector<std::vector<std::uint32_t>> longPhrasesFrom_;
    std::vector<std::vector<std::uint32_t>> longSeconds_; // their second words
    // A bit for every pair of words that starts a phrase (and for some that do
    // not): most words are followed by a word that starts no phrase with them,
    // and this answers that without a search.
    static constexpr unsigned kPairFilterBits = 16;
    std::vector<std::uint64_t> pairFilter_ =
        std::vector<std::uint64_t>((std::size_t{1} << kPairFilterBits) / 64);
    std::vector<std::uint32_t> wordPhrase_;
    std::vector<Phrase> phrases_;
};
