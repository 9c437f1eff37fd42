#pragma once

#include "checks/CheckRules.h"

#include <cstdint>
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

    // The phrases (single words included) that start with the word, longest
    // first and, among phrases of one length, in the order cliche, wordy,
    // adverb, weasel, hedge, filler.
    const std::vector<std::uint32_t>& PhrasesFrom(std::uint32_t word) const {
        return phrasesFrom_[word];
    }
    const Phrase& PhraseAt(std::uint32_t phrase) const { return phrases_[phrase]; }

    // The simpler alternative to a single word on the plain-language list; ""
    // for none.
    std::string_view SimplerWord(std::uint32_t word) const { return simpler_[word]; }

private:
    CheckLists();
    std::uint32_t Number(std::string_view word);
    void AddPhrases(const char* list, CheckRule rule);
    void AddPhrase(std::string_view entry, std::string_view suggestion, CheckRule rule);
    void AddWords(const char* list, WordFlag flag);
    void AddPlainLanguage(const char* list);

    std::unordered_map<std::string, std::uint32_t> numbers_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::string_view> simpler_;
    std::vector<std::vector<std::uint32_t>> phrasesFrom_;
    std::vector<Phrase> phrases_;
};
